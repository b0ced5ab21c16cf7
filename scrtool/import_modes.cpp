#include "scrtool/import_modes.h"

#include <algorithm>
#include <cctype>

#include "picture_in/mode_import.h"

namespace scrtool {
namespace {

using picture_in::ModeFile;

constexpr ImportMode Modes[] = {
    {"classic", ModeFile::Classic, ".scr", "the classic screen (6912 bytes; the default)"},
    {"ulaplus", ModeFile::UlaPlus, ".scr", "the screen with a ULAplus palette of 64 colours chosen for it (6976)"},
    {"timex-hicolour", ModeFile::TimexHiColour, ".scr", "Timex hi-colour: 8 x 1 cells (12288)"},
    {"timex-hicolour-ulaplus", ModeFile::TimexHiColourUlaPlus, ".scr",
     "Timex hi-colour with a ULAplus palette (12352)"},
    {"timex-hires", ModeFile::TimexHiRes, ".scr", "Timex hi-res: 512 x 192 in an INK and its complement (12289)"},
    {"gigascreen", ModeFile::Gigascreen, ".img", "two screens the eye sees as their average (13824)"},
    {"mlt", ModeFile::Mlt, ".mlt", "multicolour, 8 x 1 cells (12288)"},
    {"mc", ModeFile::Mc, ".mc", "multicolour, 8 x 1 cells, the bitmap line after line (12288)"},
    {"ifl", ModeFile::Ifl, ".ifl", "multicolour, 8 x 2 cells (9216)"},
    {"bsc", ModeFile::Bsc, ".bsc", "the screen and its border, the picture fitted to 384 x 304 (11136)"},
    {"bmc4", ModeFile::Bmc4, ".bmc4", "8 x 4 cells and the border, the picture fitted to 384 x 304 (11904)"},
    {"mg1", ModeFile::Mg1, ".mg1",
     "MultiArtist gigascreen of 8 x 1 cells in the middle 16 columns, 8 x 8 beside (19456)"},
    {"mg2", ModeFile::Mg2, ".mg2", "MultiArtist gigascreen of 8 x 2 cells (18688)"},
    {"mg4", ModeFile::Mg4, ".mg4", "MultiArtist gigascreen of 8 x 4 cells (15616)"},
    {"mg8", ModeFile::Mg8, ".mg8", "MultiArtist gigascreen of 8 x 8 cells (14080)"},
};

// The output's extension in lower case, with the dot; "" when it has none.
std::string ExtensionOf(std::string_view output) {
    const std::size_t slash = output.find_last_of('/');
    const std::size_t dot = output.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return "";
    std::string extension(output.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

std::span<const ImportMode> ImportModes() { return Modes; }

std::vector<std::string_view> ImportModeNames() {
    std::vector<std::string_view> names;
    for (const ImportMode& mode : Modes)
        names.push_back(mode.name);
    return names;
}

void ChooseImportMode(Invocation& inv, std::size_t choice) { inv.importMode = static_cast<int>(choice); }

std::string ImportModeDetail() {
    std::string lines;
    for (const ImportMode& mode : Modes) {
        // Under the option, as every option's choices are listed.
        std::string name = std::string(23, ' ') + std::string(mode.name);
        name.resize(std::max<std::size_t>(name.size() + 1, 23 + 24), ' ');
        lines += name + std::string(mode.help) + "\n";
    }
    return lines;
}

base::Result<const ImportMode*> ImportModeFor(const Invocation& inv, std::string_view output) {
    const ImportMode* named = inv.importMode >= 0 ? &Modes[inv.importMode] : nullptr;
    const std::string extension = ExtensionOf(output);
    const auto byExtension = std::find_if(std::begin(Modes), std::end(Modes), [&](const ImportMode& mode) {
        return mode.extension == extension && mode.extension != ".scr";
    });
    if (byExtension == std::end(Modes))
        return named ? named : &Modes[0];
    if (named && named != byExtension)
        return base::Refusal("--mode " + std::string(named->name) + " writes " + std::string(named->extension) +
                             " files, not " + extension);
    return &*byExtension;
}

std::string_view ImportSuffix(const Invocation& inv) {
    return inv.importMode >= 0 ? Modes[inv.importMode].extension : Modes[0].extension;
}

base::Result<std::vector<std::uint8_t>> ImportInto(const ImportMode& mode, std::span<const std::uint8_t> picture,
                                                   const picture_in::ImportOptions& options,
                                                   picture_in::Flicker flicker,
                                                   std::span<const render::Palette> palettes) {
    if (mode.file == ModeFile::Classic) {
        const base::Result<picture_in::ScreenBytes> imported = picture_in::ImportPicture(picture, options, palettes);
        if (!imported)
            return imported.error();
        return std::vector<std::uint8_t>(imported->begin(), imported->end());
    }
    picture_in::ModeImportOptions modeOptions;
    modeOptions.import = options;
    modeOptions.file = mode.file;
    modeOptions.flicker = flicker;
    picture_in::ModeImported imported = picture_in::ImportInMode(picture, modeOptions, palettes);
    if (!imported.bytes)
        return base::Refusal(imported.cause);
    return std::move(*imported.bytes);
}

}  // namespace scrtool
