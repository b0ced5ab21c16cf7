#pragma once
// What `import` needs besides the tables' rows: its option setters and
// checks, reading a picture file of any size, and the options the picture
// library is given.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "picture_in/import.h"
#include "scrtool/invocation.h"
#include "scrtool/screen_io.h"

namespace scrtool {

// Picture files larger than this are refused before they are read.
inline constexpr std::int64_t MaxPictureFileBytes = 256LL * 1024 * 1024;

std::string CheckImport(Invocation& inv);
void ChooseImportPalette(Invocation& inv, std::size_t choice);
void ChooseFit(Invocation& inv, std::size_t choice);
void ChooseDither(Invocation& inv, std::size_t choice);
void ChooseBright(Invocation& inv, std::size_t choice);
std::vector<std::string_view> ImportPaletteNames();  // "auto", then the palettes
inline constexpr std::string_view FitChoices = "contain cover stretch";
inline constexpr std::string_view DitherChoices = "refined floyd-steinberg jarvis bayer none";
inline constexpr std::string_view BrightChoices = "auto never always";

// The whole file, or standard input for "-".
ReadResult ReadPicture(const std::string& name);

picture_in::ImportOptions ImportOptionsOf(const Invocation& inv);
// The levels of every named palette, the window's first: what `auto` may find.
std::vector<render::Palette> PaletteLevels();

}  // namespace scrtool
