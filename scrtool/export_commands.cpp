#include "scrtool/export_commands.h"

#include <filesystem>
#include <iostream>

#include "export/source_text.h"
#include "export/tape.h"
#include "export/zx0.h"
#include "files/file_services.h"
#include "extract/guarded_reader.h"
#include "scrtool/command_table.h"
#include "scrtool/commands.h"

namespace scrtool {
namespace {

using exporter::Order;
using exporter::Part;

constexpr std::size_t LargestTapeOrSnapshot = 64 << 20;  // far above any real one

struct FormatRow {
    ExportFormat format;
    std::string_view extension;
};
// In the order of the FORMAT operand's words in the command table.
constexpr FormatRow Formats[] = {{ExportFormat::Asm, ".asm"},
                                 {ExportFormat::C, ".c"},
                                 {ExportFormat::Bin, ".bin"},
                                 {ExportFormat::Tap, ".tap"},
                                 {ExportFormat::Zx0, ".zx0"}};

std::string Stem(const std::string& input) {
    return input == StandardStream ? "screen" : std::filesystem::path(input).stem().string();
}

// "title.scr: bitmap, linear order, 6144 bytes, ZX0 (RCS)" for the source's first line.
std::string About(const Invocation& inv, const std::string& input, std::size_t size) {
    std::string about = std::filesystem::path(InputName(input)).filename().string() + ": " +
                        std::string(exporter::PartName(inv.part.value_or(Part::All))) + ", " +
                        std::string(exporter::OrderName(inv.order.value_or(Order::Screen))) + " order, " +
                        std::to_string(size) + " bytes; scrtool export";
    return about;
}

Bytes Compressed(const Invocation& inv, Bytes bytes) {
    if (inv.rcs)
        bytes = exporter::RcsOrder(bytes);
    return zx0::Compress(bytes, {inv.classic ? zx0::Format::Classic : zx0::Format::Current,
                                 inv.backwards ? zx0::Direction::Backwards : zx0::Direction::Forwards});
}

// A header name fit for a file name: no folder separators or control characters.
std::string FileNamePart(const std::string& name) {
    std::string part;
    for (char ch : name)
        part += (ch == '/' || static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) ? '_' : ch;
    return part;
}

// The names a screen may take, best first: after its header's name or block
// number in a tape, after the input alone for the screen a snapshot shows.
std::vector<std::string> ScreenNames(const std::string& stem, const extract::Found& found, bool first) {
    const std::string bank = found.kind.substr(0, 4) + found.kind.substr(5);  // "bank5"
    if (found.block < 0)
        return first ? std::vector<std::string>{stem, stem + "-" + bank} : std::vector<std::string>{stem + "-" + bank};
    const std::string number = std::to_string(found.block);
    const std::string name = stem + "-" + (found.name.empty() ? number : FileNamePart(found.name));
    return {name, name + "-" + number};
}

// A block's name as the listing shows it: in double quotes, or quoted as a
// shell would where it holds control characters or is not UTF-8, so that
// each block stays one line.
std::string ListedName(const std::string& name) {
    const std::string quoted = ShellQuoted(name);
    return quoted == name ? "\"" + name + "\"" : quoted;
}

// The whole file, or a one-line cause; by the rule every command reads a
// named file by, so that a pipe or device is refused unread.
std::string ReadWhole(const std::string& input, Bytes& bytes) {
    const FileSizeResult file = RegularFileSize(input);
    if (!file.error.empty())
        return file.error;
    if (file.size > static_cast<std::int64_t>(LargestTapeOrSnapshot))
        return "too large for a tape or snapshot";
    bytes.resize(static_cast<std::size_t>(file.size));
    if (const std::error_code failed = files::ReadFileStart(input, bytes.data(), bytes.size()))
        return "cannot read: " + failed.message();
    return {};
}

}  // namespace

std::string CheckExport(Invocation& inv) {
    const auto formatWords = Words(CommandOf(Action::Export).firstOperandChoices);
    for (std::size_t i = 0; i < formatWords.size(); ++i)
        if (formatWords[i] == inv.operands[0])
            inv.format = Formats[i].format;
    if (inv.inputs.empty())
        return "no screen file given";
    if (inv.output && inv.outDir)
        return "give either -o or --out-dir, not both";
    if (!inv.output && !inv.outDir)
        return "say where the result goes: -o OUT (one file) or --out-dir DIR";
    if (inv.output && inv.inputs.size() != 1)
        return "-o takes exactly one input file; use --out-dir for several";
    if (inv.outDir && *inv.outDir == StandardStream)
        return "--out-dir needs a folder, not '-'";
    for (const std::string& input : inv.inputs)
        if (input == StandardStream && !inv.output)
            return "a screen read from standard input needs -o OUT";
    const bool zx0 = inv.format == ExportFormat::Zx0;
    if (inv.format == ExportFormat::Tap && (inv.part || inv.order))
        return "tap writes the whole screen as it is in memory: --part and --order do not apply";
    if (inv.tapeName && inv.format != ExportFormat::Tap)
        return "--name names the blocks of a tap";
    if (inv.tapeName && !exporter::ValidTapeName(*inv.tapeName))
        return "bad tape name " + Quoted(*inv.tapeName) + " (10 printable ASCII characters at most)";
    if ((inv.classic || inv.backwards || inv.rcs) && !zx0)
        return "--classic, --backwards and --rcs are for zx0";
    if (inv.rcs && inv.order == Order::Linear)
        return "--rcs puts the bitmap in an order of its own: not with --order linear";
    if (inv.rcs && inv.part == Part::Attributes)
        return "--rcs reorders the bitmap: not with --part attributes";
    return {};
}

std::string CheckExtract(Invocation& inv) {
    if (inv.inputs.empty())
        return "no tape or snapshot file given";
    for (const std::string& input : inv.inputs)
        if (input == StandardStream)
            return "extract names the screens after the input, so it cannot read standard input";
    if (inv.outDir && *inv.outDir == StandardStream)
        return "--out-dir needs a folder, not '-'";
    if (inv.list && inv.outDir)
        return "--list writes nothing: no --out-dir with it";
    return {};
}

std::string ExportOutput(const Invocation& inv, const std::string& input) {
    if (inv.output)
        return *inv.output;
    const std::string file = Stem(input) + std::string(Formats[static_cast<int>(inv.format)].extension);
    return (std::filesystem::path(*inv.outDir) / file).string();
}

std::string ExtractOutputs(const Invocation& inv, const std::string& input) {
    const std::filesystem::path folder =
        inv.outDir ? std::filesystem::path(*inv.outDir) : std::filesystem::path(input).parent_path();
    return (folder / (Stem(input) + "*.scr")).string();
}

bool ExportScreen(const Invocation& inv, const std::string& input, const WriteFile& write) {
    const ScreenRead read = ReadScreen(input);
    if (!read.error.empty()) {
        Report(InputName(input), read.error);
        return false;
    }
    const Bytes bytes =
        exporter::PartBytes(read.screen, inv.part.value_or(Part::All), inv.order.value_or(Order::Screen));
    const std::string name = exporter::IdentifierFrom(Stem(input));
    const std::string about = About(inv, input, bytes.size());
    Bytes out;
    switch (inv.format) {
    case ExportFormat::Asm: {
        const std::string text = exporter::AsmSource(name, bytes, about);
        out.assign(text.begin(), text.end());
        break;
    }
    case ExportFormat::C: {
        const std::string text = exporter::CSource(name, bytes, about);
        out.assign(text.begin(), text.end());
        break;
    }
    case ExportFormat::Bin: out = bytes; break;
    case ExportFormat::Tap:
        out = exporter::ScreenTape(read.screen, inv.tapeName.value_or(exporter::TapeNameFrom(Stem(input))));
        break;
    case ExportFormat::Zx0: out = Compressed(inv, bytes); break;
    }
    const std::string output = ExportOutput(inv, input);
    if (!inv.output && WouldReplace(output, input)) {
        Report(InputName(input), "the result would write over this file itself; name it with -o");
        return false;
    }
    return write(output, out, Durability::Atomic);
}

ExtractNames::ExtractNames(const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs)
        taken_.insert(Identity(input));
}

std::string ExtractNames::Identity(const std::string& name) {
    std::error_code ignored;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(name, ignored), ignored).string();
}

std::string ExtractNames::Take(const std::filesystem::path& folder, const std::vector<std::string>& candidates) {
    for (int again = 1;; ++again)
        for (const std::string& candidate : candidates) {
            const std::string name =
                (folder / (again == 1 ? candidate : candidate + "-" + std::to_string(again))).string() + ".scr";
            if (taken_.insert(Identity(name)).second)
                return name;
        }
}

bool ExtractScreens(const Invocation& inv, const std::string& input, const WriteFile& write, ExtractNames& names) {
    Bytes file;
    if (const std::string cause = ReadWhole(input, file); !cause.empty()) {
        Report(InputName(input), cause);
        return false;
    }
    const extract::Contents contents = extract::FindScreensGuarded(file, input);
    if (!contents.error.empty()) {
        Report(InputName(input), contents.error);
        return false;
    }
    const std::filesystem::path folder =
        inv.outDir ? std::filesystem::path(*inv.outDir) : std::filesystem::path(input).parent_path();
    bool anyScreen = false;
    bool allWritten = true;
    for (const extract::Found& found : contents.found) {
        if (inv.list) {
            std::cout << InputName(input) << ": "
                      << (found.block >= 0 ? "block " + std::to_string(found.block) + ", " : "") << found.kind << ", "
                      << ListedName(found.name) << ", " << found.length << " bytes"
                      << (found.isScreen ? ", screen" : "") << (found.mode.empty() ? "" : " (" + found.mode + ")")
                      << "\n";
        }
        if (!found.isScreen)
            continue;
        if (!inv.list) {
            const std::string name = names.Take(folder, ScreenNames(Stem(input), found, !anyScreen));
            allWritten = write(name, found.screen, Durability::Synced) && allWritten;
        }
        anyScreen = true;
    }
    if (!anyScreen) {
        Report(InputName(input), "no screen in this file");
        return false;
    }
    return allWritten;
}

}  // namespace scrtool
