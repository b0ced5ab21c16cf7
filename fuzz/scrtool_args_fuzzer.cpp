// scrtool command lines of any bytes, split into arguments at NUL bytes: the
// parser must answer every one with an invocation that keeps the rules the
// commands rely on, or with a reason; and a byte operation it accepts must
// touch the attribute bytes alone, whatever the operand texts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scrtool/command_line.h"
#include "scrtool/help.h"
#include "scrtool/transforms.h"
#include "screen/screen_layout.h"

namespace {

[[noreturn]] void Fail(const char* law) {
    std::fprintf(stderr, "law broken: %s\n", law);
    std::abort();
}

void Require(bool holds, const char* law) {
    if (!holds)
        Fail(law);
}

std::vector<std::string> Split(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }
    if (size == 0)
        arguments.clear();
    return arguments;
}

void CheckInvocation(const std::vector<std::string>& args, const scrtool::Invocation& inv) {
    using scrtool::Action;
    using scrtool::ExportFormat;
    const Action action = inv.command->action;
    const long fromStdin = std::count(inv.inputs.begin(), inv.inputs.end(), std::string("-"));
    Require(fromStdin <= 1, "standard input is read at most once");
    Require(inv.scale >= scrtool::MinScale && inv.scale <= scrtool::MaxScale, "the scale is 1 to 8");
    Require(inv.palette != nullptr, "a palette is always chosen");
    Require(!HelpText(inv.topic).empty(), "every help topic has a text");
    if (scrtool::IsTransform(*inv.command)) {
        Require(!inv.inputs.empty(), "a transform has a file");
        Require(inv.inPlace != inv.output.has_value(), "a transform writes by exactly one of -o and --in-place");
        Require(!inv.output || inv.inputs.size() == 1, "-o takes one input");
        Require(!inv.inPlace || fromStdin == 0, "standard input is never rewritten in place");
    }
    if (action == Action::ByteOp) {
        Require(inv.byteOpIndex >= 1 && inv.byteOpIndex <= 7, "the byte operation index is 1 to 7");
        Require(inv.operands.size() == 3 && inv.b1 == inv.operands[1] && inv.b2 == inv.operands[2] &&
                    std::find(args.begin(), args.end(), inv.b1) != args.end() &&
                    std::find(args.begin(), args.end(), inv.b2) != args.end(),
                "operands are kept as typed");
    }
    if (action == Action::Split)
        Require(!inv.inputs.empty() && fromStdin == 0, "split has named files");
    if (action == Action::Join)
        Require(inv.inputs.size() == 2 && inv.output, "join has two inputs and -o");
    if (action == Action::Png)
        Require(!inv.inputs.empty() && !(inv.output && inv.outDir) && (!inv.output || inv.inputs.size() == 1) &&
                    (fromStdin == 0 || inv.output),
                "png has somewhere to write each picture");
    if (action == Action::Import)
        Require(!inv.inputs.empty() && !inv.inPlace && !(inv.output && inv.outDir) &&
                    (!inv.output || inv.inputs.size() == 1) && (fromStdin == 0 || inv.output),
                "import has somewhere to write each screen and never rewrites a picture in place");
    if (action == Action::Check)
        Require(!inv.inputs.empty() && !inv.conditions.empty(), "check has files and conditions");
    if (action == Action::Export) {
        Require(!inv.inputs.empty() && inv.output.has_value() != inv.outDir.has_value() &&
                    (!inv.output || inv.inputs.size() == 1) && (fromStdin == 0 || inv.output),
                "export has files and exactly one of -o and --out-dir");
        Require(!inv.rcs || (inv.format == ExportFormat::Zx0 && inv.order != exporter::Order::Linear &&
                             inv.part != exporter::Part::Attributes),
                "--rcs only reorders a zx0 bitmap in screen order");
        Require(!inv.tapeName || (inv.format == ExportFormat::Tap && inv.tapeName->size() <= 10),
                "--name is a tap's, at most 10 characters");
    }
    if (action == Action::Extract)
        Require(!inv.inputs.empty() && fromStdin == 0 && !(inv.list && inv.outDir),
                "extract has named files, and --list writes nothing");
    if (action == Action::Thumbnail)
        Require(inv.inputs.size() == 1 && inv.output && inv.thumbnailSize >= 1 &&
                    inv.thumbnailSize <= scrtool::MaxThumbnailSize,
                "thumbnail has an input, an output and a size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = Split(data, size);
    const scrtool::Parsed parsed = scrtool::ParseArguments(args);
    if (!parsed.invocation) {
        Require(!parsed.error.empty(), "a refusal says why");
        return 0;
    }
    Require(parsed.error.empty(), "an accepted command line has no fault");
    CheckInvocation(args, *parsed.invocation);
    if (parsed.invocation->command->action == scrtool::Action::ByteOp) {
        scrtool::Screen screen;
        for (std::size_t i = 0; i < screen.size(); ++i)
            screen[i] = static_cast<std::uint8_t>(i * 131 + 7);
        const scrtool::Screen before = screen;
        scrtool::ApplyTransform(*parsed.invocation, screen);
        Require(std::equal(before.begin(), before.begin() + screen::BitmapSize, screen.begin()),
                "a byte operation leaves the bitmap alone");
    }
    return 0;
}
