#include "scrtool/import_command.h"

#include "scrtool/command_line.h"
#include "scrtool/import_modes.h"
#include "scrtool/run_context.h"

namespace scrtool {
namespace {

std::string TooLarge(const std::string& size) {
    return "file too large for a picture (" + size + " bytes, at most " + std::to_string(MaxPictureFileBytes) + ")";
}

// "#RRGGBB" or "RRGGBB".
std::optional<render::Rgb> ColourNamed(std::string_view text) {
    if (text.starts_with('#'))
        text.remove_prefix(1);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
        return std::nullopt;
    const unsigned long value = std::stoul(std::string(text), nullptr, 16);
    return render::Rgb{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                       static_cast<std::uint8_t>(value)};
}

}  // namespace

const InputRule PictureInput{InputRule::Size::AtMost, static_cast<std::size_t>(MaxPictureFileBytes), nullptr, nullptr,
                             TooLarge};

std::string CheckImport(Invocation& inv) {
    if (inv.output)
        if (const base::Result<const ImportMode*> mode = ImportModeFor(inv, *inv.output); !mode)
            return mode.error().What();
    if (inv.background) {
        const std::optional<render::Rgb> colour = ColourNamed(*inv.background);
        if (!colour)
            return "bad background colour " + Quoted(*inv.background) + " (#RRGGBB)";
        inv.backgroundColour = *colour;
    }
    return {};
}

void ChooseImportPalette(Invocation& inv, std::size_t choice) {
    inv.importPalette = choice == 0 ? nullptr : &Palettes()[choice - 1];
}

std::vector<std::string_view> ImportPaletteNames() {
    std::vector<std::string_view> names{"auto"};
    for (const NamedPalette& palette : Palettes())
        names.push_back(palette.name);
    return names;
}

picture_in::ImportOptions ImportOptionsOf(const Invocation& inv) {
    picture_in::ImportOptions options;
    if (inv.importPalette)
        options.palette = inv.importPalette->levels;
    options.fit = inv.fit;
    options.background = inv.backgroundColour;
    options.dither = inv.dither;
    options.bright = inv.bright;
    options.strict = inv.strict ? picture_in::Strict::On : picture_in::Strict::Off;
    return options;
}

std::vector<render::Palette> PaletteLevels() {
    std::vector<render::Palette> levels;
    for (const NamedPalette& palette : Palettes())
        levels.push_back(palette.levels);
    return levels;
}

Writes ImportWrites(const Invocation& inv, const std::string& input) {
    return {{inv.output ? *inv.output : NamedAfter(input, ImportSuffix(inv), inv.outDir)}, {}};
}

bool RunImport(RunContext& run, const Invocation& inv, const std::string& input) {
    const base::Result<Bytes> read = ReadInput(input, PictureInput);
    if (!read)
        return Failed(InputName(input), read.error());
    const std::string output = ImportWrites(inv, input).files[0];
    if (!inv.output && WouldReplace(output, input)) {
        Report(InputName(input), "the screen would write over this file itself; name the screen with -o");
        return false;
    }
    const base::Result<const ImportMode*> mode = ImportModeFor(inv, output);
    if (!mode)
        return Failed(InputName(input), mode.error());
    const base::Result<Bytes> written = ImportInto(**mode, *read, ImportOptionsOf(inv), inv.flicker, PaletteLevels());
    if (!written)
        return Failed(InputName(input), written.error());
    return Write(run, output, *written);
}

}  // namespace scrtool
