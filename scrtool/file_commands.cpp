#include "scrtool/file_commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "files/file_names.h"
#include "files/screen_files.h"
#include "modes/picture_modes.h"
#include "modes/convert.h"
#include "scrtool/command_line.h"
#include "scrtool/import_command.h"
#include "scrtool/import_modes.h"
#include "scrtool/mode_input.h"
#include "scrtool/picture.h"
#include "scrtool/run_context.h"

namespace scrtool {
namespace {

using files::AttributeFileSize;
using files::BitmapFileSize;
using screen::AttributeStart;

constexpr char PngSuffix[] = ".png";

}  // namespace

Writes SplitWrites(const Invocation&, const std::string& input) {
    const std::string base = files::SplitBaseName(input);
    return {{base + files::BitmapFileSuffix, base + files::AttributeFileSuffix}, {}};
}

bool RunSplit(RunContext& run, const Invocation& inv, const std::string& input) {
    const base::Result<Screen> read = ReadClassicScreen(input, inv.command->name);
    if (!read)
        return Failed(InputName(input), read.error());
    const std::vector<std::string> outputs = SplitWrites(inv, input).files;
    for (const std::string& output : outputs)
        if (WouldReplace(output, input)) {
            Report(InputName(input), "split would write over this file itself; rename it first");
            return false;
        }
    // As the window does: the attribute file is written even when the bitmap file fails.
    const bool bitmap = Write(run, outputs[0], std::span(*read).first(BitmapFileSize));
    const bool attributes = Write(run, outputs[1], std::span(*read).subspan(AttributeStart, AttributeFileSize));
    return bitmap && attributes;
}

std::string CheckJoin(Invocation& inv) {
    return inv.inputs.size() != 2 ? "join takes a bitmap file and an attribute file" : "";
}

bool RunJoin(RunContext& run, const Invocation& inv, const std::string&) {
    const base::Result<Bytes> bitmap = ReadInput(inv.inputs[0], BitmapFile);
    if (!bitmap)
        Failed(InputName(inv.inputs[0]), bitmap.error());
    const base::Result<Bytes> attributes = ReadInput(inv.inputs[1], AttributeFile);
    if (!attributes)
        Failed(InputName(inv.inputs[1]), attributes.error());
    if (!bitmap || !attributes)
        return false;
    Bytes joined = *bitmap;
    joined.insert(joined.end(), attributes->begin(), attributes->end());
    return Write(run, *inv.output, joined);
}

Writes PngWrites(const Invocation& inv, const std::string& input) {
    return {{inv.output ? *inv.output : NamedAfter(input, PngSuffix, inv.outDir)}, {}};
}

bool RunPng(RunContext& run, const Invocation& inv, const std::string& input) {
    const base::Result<PictureFile> read = ReadPictureFile(input);
    if (!read)
        return Failed(InputName(input), read.error());
    const std::string output = PngWrites(inv, input).files[0];
    if (!inv.output && WouldReplace(output, input)) {
        Report(InputName(input), "the picture would write over this file itself; name the picture with -o");
        return false;
    }
    const PngLook look{inv.view,  inv.scale, inv.grid ? Grid::On : Grid::Off, inv.palette->levels,
                       inv.flash, inv.frames};
    const base::Result<Bytes> png = PngOf(*read->mode, read->bytes, look);
    if (!png)
        return Failed(InputName(input), png.error());
    return Write(run, output, *png, Durability::Atomic);
}

std::string CheckConvert(Invocation& inv) {
    // Import names any other output a screen; a converted .png or .hlr that
    // no reader would take back is refused instead.
    std::string extension = std::filesystem::path(inv.output.value_or("")).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string written;
    bool known = extension.empty();
    for (const ImportMode& mode : ImportModes())
        if (written.find(mode.extension) == std::string::npos) {
            written += (written.empty() ? "" : " ") + std::string(mode.extension);
            known = known || mode.extension == extension;
        }
    if (!known)
        return "convert writes " + written + " files, not " + extension;
    if (inv.output)
        if (const base::Result<const ImportMode*> mode = ImportModeFor(inv, *inv.output); !mode)
            return mode.error().What();
    return {};
}

bool RunConvert(RunContext& run, const Invocation& inv, const std::string& input) {
    const base::Result<PictureFile> read = ReadPictureFile(input);
    if (!read)
        return Failed(InputName(input), read.error());
    const base::Result<const ImportMode*> target = ImportModeFor(inv, *inv.output);
    if (!target)
        return Failed(InputName(input), target.error());
    const modes::PictureMode* to = modes::ModeNamed((*target)->name);
    if (!to) {
        Report(InputName(input), "no picture mode is named " + std::string((*target)->name));
        return false;
    }
    if (const base::Result<modes::Converted> exact = modes::ConvertExactly(*read->mode, read->bytes, *to)) {
        // Not an error, but not silent either: the border is lost.
        if (exact->borderDropped)
            Report(InputName(input), "the border is dropped: the " + std::string(to->name) +
                                         " mode has none, so only the screen area is written");
        return Write(run, *inv.output, exact->bytes);
    }
    // The target cannot hold the picture cell for cell: it gets what the eye
    // sees (the frames averaged, the first FLASH phase), made again by the
    // target's import as any picture is.
    const PngLook still{.scale = 1};
    const base::Result<Bytes> png = PngOf(*read->mode, read->bytes, still);
    if (!png)
        return Failed(InputName(input), png.error());
    const base::Result<Bytes> written = ImportInto(**target, *png, ImportOptionsOf(inv), inv.flicker, PaletteLevels());
    if (!written)
        return Failed(InputName(input), written.error());
    return Write(run, *inv.output, *written);
}

std::string CheckThumbnail(Invocation& inv) {
    if (inv.inputs.size() != 3)
        return "thumbnail takes INPUT OUTPUT SIZE";
    const std::optional<int> size = WholeNumber(inv.inputs[2], MinThumbnailSize, MaxThumbnailSize);
    if (!size)
        return "bad thumbnail size " + Quoted(inv.inputs[2]) + " (" + RangeText(MinThumbnailSize, MaxThumbnailSize) +
               ")";
    if (inv.inputs[0] == StandardStream || inv.inputs[1] == StandardStream)
        return "thumbnail reads and writes named files only";
    inv.thumbnailSize = *size;
    inv.output = inv.inputs[1];
    inv.inputs.resize(1);
    return {};
}

std::string ThumbnailDetail() { return "SIZE is " + RangeText(MinThumbnailSize, MaxThumbnailSize) + ".\n"; }

bool RunThumbnail(RunContext& run, const Invocation& inv, const std::string&) {
    const base::Result<PictureFile> read = ReadPictureFile(inv.inputs[0]);
    if (!read)
        return Failed(InputName(inv.inputs[0]), read.error());
    const base::Result<Bytes> png = ThumbnailOf(*read->mode, read->bytes, inv.thumbnailSize);
    if (!png)
        return Failed(InputName(inv.inputs[0]), png.error());
    return Write(run, *inv.output, *png, Durability::Atomic);
}

}  // namespace scrtool
