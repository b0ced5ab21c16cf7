#include "scrtool/export_commands.h"

#include <algorithm>
#include <any>
#include <filesystem>
#include <iostream>

#include "export/mode_parts.h"
#include "export/source_text.h"
#include "export/tape.h"
#include "export/zx0.h"
#include "extract/guarded_reader.h"
#include "scrtool/command_line.h"
#include "scrtool/mode_input.h"
#include "scrtool/run_context.h"

namespace scrtool {
namespace {

using exporter::Order;
using exporter::Part;

constexpr std::size_t LargestTapeOrSnapshot = 64 << 20;  // far above any real one

std::string TapeOrSnapshotTooLarge(const std::string&) { return "too large for a tape or snapshot"; }

const InputRule TapeOrSnapshotFile{InputRule::Size::AtMost, LargestTapeOrSnapshot, nullptr, nullptr,
                                   TapeOrSnapshotTooLarge};

// "title.scr: bitmap, linear order, 6144 bytes" for the source's first line;
// other modes name theirs, and the order only where the part has pixel lines.
std::string About(const Invocation& inv, const std::string& input, const modes::PictureMode& mode,
                  const exporter::Runs& runs, std::size_t size) {
    const std::string name = std::filesystem::path(InputName(input)).filename().string();
    const std::string part(exporter::PartName(inv.part.value_or(Part::All)));
    const std::string count = std::to_string(size) + " bytes; scrtool export";
    if (&mode == &modes::ClassicMode())
        return name + ": " + part + ", " + std::string(exporter::OrderName(inv.order.value_or(Order::Screen))) +
               " order, " + count;
    std::string order;
    if (exporter::HoldsPlanes(runs)) {
        const bool linear = inv.order ? *inv.order == Order::Linear
                                      : std::any_of(runs.begin(), runs.end(), [](const exporter::Run& run) {
                                            return run.holds != exporter::Holds::Bytes && !run.screenOrder;
                                        });
        order = std::string(exporter::OrderName(linear ? Order::Linear : Order::Screen)) + " order, ";
    }
    return name + ": " + part + " of mode " + std::string(mode.name) + ", " + order + count;
}

exporter::Arrangement ArrangementOf(const Invocation& inv) {
    if (inv.rcs)
        return exporter::Arrangement::Rcs;
    if (!inv.order)
        return exporter::Arrangement::AsStored;
    return *inv.order == Order::Screen ? exporter::Arrangement::Screen : exporter::Arrangement::Linear;
}

std::string PartList(const modes::PictureMode& mode, std::size_t size) {
    std::string list;
    for (Part part : exporter::PartsOf(mode, size))
        list += (list.empty() ? "" : ", ") + std::string(exporter::PartName(part));
    return list;
}

// Why the part asked for cannot be taken from a file of `mode`, or empty.
// A classic screen's attributes take --order and stay as they are, as they
// always have.
std::string PartRefusal(const Invocation& inv, const modes::PictureMode& mode, std::size_t size) {
    const Part part = inv.part.value_or(Part::All);
    const std::string asked = "--part " + std::string(exporter::PartName(part));
    const exporter::Runs runs = exporter::PartRuns(mode, size, part);
    const std::string modeName = "mode " + std::string(mode.name);
    if (runs.empty())
        return modeName + " has no " + asked + "; its parts are " + PartList(mode, size);
    if (inv.order && !exporter::HoldsPlanes(runs) && &mode != &modes::ClassicMode())
        return asked + " of " + modeName + " holds no pixel lines for --order to arrange";
    if (inv.rcs && !exporter::HoldsBitmap(runs))
        return asked + " of " + modeName + " holds no bitmap for --rcs to arrange";
    return {};
}

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

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

}  // namespace

Bytes AsmOf(const Invocation&, const ExportInput& in) {
    return TextBytes(exporter::AsmSource(in.label, in.bytes, in.about));
}

Bytes COf(const Invocation&, const ExportInput& in) {
    return TextBytes(exporter::CSource(in.label, in.bytes, in.about));
}

Bytes BinOf(const Invocation&, const ExportInput& in) { return in.bytes; }

Bytes TapOf(const Invocation& inv, const ExportInput& in) {
    return exporter::ScreenTape(in.screen, inv.tapeName.value_or(exporter::TapeNameFrom(in.stem)));
}

Bytes Zx0Of(const Invocation& inv, const ExportInput& in) {
    return zx0::Compress(in.bytes, {inv.classic ? zx0::Format::Classic : zx0::Format::Current,
                                    inv.backwards ? zx0::Direction::Backwards : zx0::Direction::Forwards});
}

std::string CheckExport(Invocation& inv) {
    for (const ExportFormatRow& format : ExportFormats)
        if (format.spelling == inv.operands[0])
            inv.format = &format;
    const ExportFormatRow& format = *inv.format;
    if (format.wholeScreen && (inv.part || inv.order))
        return "tap writes the whole screen as it is in memory: --part and --order do not apply";
    if (inv.tapeName && !format.named)
        return "--name names the blocks of a tap";
    if (inv.tapeName && !exporter::ValidTapeName(*inv.tapeName))
        return "bad tape name " + Quoted(*inv.tapeName) + " (10 printable ASCII characters at most)";
    if ((inv.classic || inv.backwards || inv.rcs) && !format.compressed)
        return "--classic, --backwards and --rcs are for zx0";
    if (inv.rcs && inv.order == Order::Linear)
        return "--rcs puts the bitmap in an order of its own: not with --order linear";
    // Parts no mode holds a bitmap in; what the others hold, the input's mode says.
    for (Part part : {Part::Attributes, Part::Palette, Part::Border, Part::Frame1Attributes, Part::Frame2Attributes})
        if (inv.rcs && inv.part == part)
            return "--rcs reorders the bitmap: not with --part " + std::string(exporter::PartName(part));
    return {};
}

std::string RcsDetail() {
    return "                       each third (2048 bytes) column by column, left to right; in\n"
           "                       a column each cell row's eight pixel lines, top to bottom;\n"
           "                       attributes as they are\n";
}

Writes ExportWrites(const Invocation& inv, const std::string& input) {
    const ExportFormatRow& format = *inv.format;
    Writes writes;
    writes.files.push_back(
        inv.output ? *inv.output
                   : (std::filesystem::path(*inv.outDir) / (Stem(input) + std::string(format.extension))).string());
    if (format.labelled)
        writes.label = exporter::IdentifierFrom(Stem(input));
    if (format.wholeScreen)
        return writes;
    // The mode by the name and size alone, as the reader will choose it; a
    // file that cannot be read is reported when it is run.
    std::uint64_t size = screen::ScreenSize;
    if (input != StandardStream) {
        const base::Result<std::int64_t> found = RegularFileSize(input);
        if (!found)
            return writes;
        size = static_cast<std::uint64_t>(*found);
    }
    const modes::PictureMode* mode =
        input == StandardStream ? &modes::ClassicMode() : modes::ModeFor(ModeExtension(input), size);
    if (mode) {
        const std::size_t partSize = mode == &modes::ClassicMode() ? screen::ScreenSize : size;
        if (const std::string refusal = PartRefusal(inv, *mode, partSize); !refusal.empty())
            writes.refusal = InputName(input) + ": " + refusal;
    }
    return writes;
}

// The input's bytes and mode: tap's a classic screen, refused naming the
// mode of any other file; the other formats' a picture of any mode.
base::Result<PictureFile> ExportedFile(const Invocation& inv, const std::string& input) {
    if (!inv.format->wholeScreen)
        return ReadPictureFile(input);
    const base::Result<Screen> screen = ReadClassicScreen(input, "export tap");
    if (!screen)
        return screen.error();
    return PictureFile{&modes::ClassicMode(), Bytes(screen->begin(), screen->end())};
}

bool RunExport(RunContext& run, const Invocation& inv, const std::string& input) {
    const base::Result<PictureFile> read = ExportedFile(inv, input);
    if (!read)
        return Failed(InputName(input), read.error());
    const modes::PictureMode& mode = *read->mode;
    const Screen screen = ClassicScreen(*read);
    const Bytes whole = &mode == &modes::ClassicMode() ? Bytes(screen.begin(), screen.end()) : read->bytes;
    if (const std::string refusal = PartRefusal(inv, mode, whole.size()); !refusal.empty()) {
        Report(InputName(input), refusal);
        return false;
    }
    const exporter::Runs runs = exporter::PartRuns(mode, whole.size(), inv.part.value_or(Part::All));
    const Bytes bytes = exporter::Gather(whole, runs, ArrangementOf(inv));
    const ExportInput in{whole, bytes, exporter::IdentifierFrom(Stem(input)),
                         About(inv, input, mode, runs, bytes.size()), Stem(input)};
    const Bytes out = inv.format->make(inv, in);
    const std::string output = ExportWrites(inv, input).files[0];
    if (!inv.output && WouldReplace(output, input)) {
        Report(InputName(input), "the result would write over this file itself; name it with -o");
        return false;
    }
    return Write(run, output, out, Durability::Atomic);
}

std::string CheckExtract(Invocation& inv) {
    if (inv.list && inv.outDir)
        return "--list writes nothing: no --out-dir with it";
    return {};
}

std::string ExtractOutputs(const Invocation& inv, const std::string& input) {
    const std::filesystem::path folder =
        inv.outDir ? std::filesystem::path(*inv.outDir) : std::filesystem::path(input).parent_path();
    return (folder / (Stem(input) + "*.scr")).string();
}

Writes ExtractWrites(const Invocation& inv, const std::string& input) {
    if (inv.list)
        return {};
    return {{ExtractOutputs(inv, input)}, {}};
}

void StartExtract(RunContext& run, const Invocation&, const std::vector<std::string>& inputs) {
    run.state = ExtractNames(inputs);
}

bool RunExtract(RunContext& run, const Invocation& inv, const std::string& input) {
    const WriteFile write = [&run](const std::string& name, std::span<const std::uint8_t> bytes,
                                   Durability durability) { return Write(run, name, bytes, durability); };
    return ExtractScreens(inv, input, write, std::any_cast<ExtractNames&>(run.state));
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
    const base::Result<Bytes> file = ReadInput(input, TapeOrSnapshotFile);
    if (!file)
        return Failed(InputName(input), file.error());
    const extract::Contents contents = extract::FindScreensGuarded(*file, input);
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
