#include "scrtool/import_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "files/file_services.h"
#include "files/retry_interrupted.h"
#include "scrtool/command_line.h"
#include "scrtool/import_modes.h"

namespace scrtool {
namespace {

constexpr picture_in::Fit Fits[] = {picture_in::Fit::Contain, picture_in::Fit::Cover, picture_in::Fit::Stretch};
constexpr picture_in::Dither Dithers[] = {picture_in::Dither::Refined, picture_in::Dither::FloydSteinberg,
                                          picture_in::Dither::Jarvis, picture_in::Dither::Bayer,
                                          picture_in::Dither::None};
constexpr picture_in::Bright Brights[] = {picture_in::Bright::Auto, picture_in::Bright::Never,
                                          picture_in::Bright::Always};

std::string TooLarge(const std::string& size) {
    return "file too large for a picture (" + size + " bytes, at most " + std::to_string(MaxPictureFileBytes) + ")";
}

ReadResult ReadStandardInput() {
    ReadResult result;
    std::uint8_t block[1 << 16];
    for (;;) {
        const ssize_t got = files::RetryInterrupted([&] { return ::read(STDIN_FILENO, block, sizeof block); });
        if (got < 0) {
            result.error = std::string("cannot read: ") + std::strerror(errno);
            return result;
        }
        if (got == 0)
            return result;
        result.bytes.insert(result.bytes.end(), block, block + got);
        if (static_cast<std::int64_t>(result.bytes.size()) > MaxPictureFileBytes) {
            result.error = TooLarge("more than " + std::to_string(MaxPictureFileBytes));
            result.bytes.clear();
            return result;
        }
    }
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

std::string CheckImport(Invocation& inv) {
    if (inv.inputs.empty())
        return "no picture file given";
    if (inv.output && inv.outDir)
        return "give either -o or --out-dir, not both";
    if (inv.output && inv.inputs.size() != 1)
        return "-o takes exactly one input file; use --out-dir for several";
    if (std::count(inv.inputs.begin(), inv.inputs.end(), std::string(StandardStream)) > 0 && !inv.output)
        return "a picture read from standard input needs -o OUT.scr";
    if (inv.outDir && *inv.outDir == StandardStream)
        return "--out-dir needs a folder, not '-'";
    if (inv.output) {
        const ModeChoice mode = ImportModeFor(inv, *inv.output);
        if (!mode.mode)
            return mode.refusal;
    }
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
void ChooseFit(Invocation& inv, std::size_t choice) { inv.fit = Fits[choice]; }
void ChooseDither(Invocation& inv, std::size_t choice) { inv.dither = Dithers[choice]; }
void ChooseBright(Invocation& inv, std::size_t choice) { inv.bright = Brights[choice]; }

std::vector<std::string_view> ImportPaletteNames() {
    std::vector<std::string_view> names{"auto"};
    for (const NamedPalette& palette : Palettes())
        names.push_back(palette.name);
    return names;
}

ReadResult ReadPicture(const std::string& name) {
    if (name == StandardStream)
        return ReadStandardInput();
    ReadResult result;
    const FileSizeResult file = RegularFileSize(name);
    if (!file.error.empty()) {
        result.error = file.error;
        return result;
    }
    const std::int64_t size = file.size;
    if (size > MaxPictureFileBytes) {
        result.error = TooLarge(std::to_string(size));
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size));
    if (const std::error_code failed = files::ReadFileStart(name, result.bytes.data(), result.bytes.size())) {
        result.error = "cannot read: " + failed.message();
        result.bytes.clear();
    }
    return result;
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

}  // namespace scrtool
