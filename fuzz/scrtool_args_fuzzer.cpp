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
#include "scrtool/export_commands.h"
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

// The laws of each kind of destination, written apart from the parser's
// checks: every command of that kind must keep them.
void CheckDestination(const scrtool::Invocation& inv, long fromStdin) {
    using scrtool::Destination;
    const scrtool::CommandSpec& command = *inv.command;
    const bool oneOutput = !inv.output || inv.inputs.size() == 1;
    const bool outDirIsAFolder = !inv.outDir || *inv.outDir != "-";
    if (!command.namesAfterInput.empty())
        Require(fromStdin == 0, "a command that names its outputs after the input never reads standard input");
    switch (command.destination) {
    case Destination::OutputOrInPlace:
        Require(inv.inPlace != inv.output.has_value(), "a transform writes by exactly one of -o and --in-place");
        Require(oneOutput, "-o takes one input");
        Require(!inv.inPlace || fromStdin == 0, "standard input is never rewritten in place");
        break;
    case Destination::OutputOrOutDir:
        Require(inv.output.has_value() != inv.outDir.has_value(), "exactly one of -o and --out-dir");
        [[fallthrough]];
    case Destination::OutputOrBeside:
        Require(!(inv.output && inv.outDir) && oneOutput && outDirIsAFolder && (fromStdin == 0 || inv.output),
                "somewhere to write each input's output");
        break;
    case Destination::OutDirOrBeside: Require(outDirIsAFolder && !inv.output, "--out-dir is a folder"); break;
    case Destination::Output: Require(inv.output.has_value(), "-o is given"); break;
    case Destination::Beside:
    case Destination::None: Require(!inv.output && !inv.outDir && !inv.inPlace, "no destination is taken"); break;
    }
}

void CheckInvocation(const std::vector<std::string>& args, const scrtool::Invocation& inv) {
    const std::string_view name = inv.command->name;
    const long fromStdin = std::count(inv.inputs.begin(), inv.inputs.end(), std::string("-"));
    Require(fromStdin <= 1, "standard input is read at most once");
    Require(inv.scale >= scrtool::MinScale && inv.scale <= scrtool::MaxScale, "the scale is 1 to 8");
    Require(inv.palette != nullptr, "a palette is always chosen");
    Require(!HelpText(inv.topic).empty(), "every help topic has a text");
    Require(inv.command->wholeRun || !inv.inputs.empty(), "a command run per input has an input");
    if (name != "thumbnail")
        CheckDestination(inv, fromStdin);
    if (name == "byte-op") {
        Require(inv.byteOpIndex >= 1 && inv.byteOpIndex <= 7, "the byte operation index is 1 to 7");
        Require(inv.operands.size() == 3 && inv.b1 == inv.operands[1] && inv.b2 == inv.operands[2] &&
                    std::find(args.begin(), args.end(), inv.b1) != args.end() &&
                    std::find(args.begin(), args.end(), inv.b2) != args.end(),
                "operands are kept as typed");
    }
    if (name == "join")
        Require(inv.inputs.size() == 2, "join has two inputs");
    if (name == "check")
        Require(!inv.conditions.empty(), "check has conditions");
    if (name == "export") {
        Require(inv.format != nullptr, "export has a format");
        Require(!inv.rcs || (inv.format->compressed && inv.order != exporter::Order::Linear &&
                             inv.part != exporter::Part::Attributes),
                "--rcs only reorders a zx0 bitmap in screen order");
        Require(!inv.tapeName || (inv.format->named && inv.tapeName->size() <= 10),
                "--name is a tap's, at most 10 characters");
    }
    if (name == "extract")
        Require(!(inv.list && inv.outDir), "--list writes nothing");
    if (name == "thumbnail")
        Require(inv.inputs.size() == 1 && inv.output && inv.thumbnailSize >= 1 &&
                    inv.thumbnailSize <= scrtool::MaxThumbnailSize,
                "thumbnail has an input, an output and a size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> args = Split(data, size);
    const base::Result<scrtool::Invocation> parsed = scrtool::ParseArguments(args);
    if (!parsed) {
        Require(!parsed.error().What().empty(), "a refusal says why");
        Require(parsed.error().What().find_first_of("\n\r\x1b\a") == std::string::npos,
                "a refusal is one line and sends the terminal nothing");
        return 0;
    }
    CheckInvocation(args, *parsed);
    if (parsed->command->name == "byte-op") {
        scrtool::Screen screen;
        for (std::size_t i = 0; i < screen.size(); ++i)
            screen[i] = static_cast<std::uint8_t>(i * 131 + 7);
        const scrtool::Screen before = screen;
        scrtool::ApplyTransform(*parsed, screen);
        Require(std::equal(before.begin(), before.begin() + screen::BitmapSize, screen.begin()),
                "a byte operation leaves the bitmap alone");
    }
    return 0;
}
