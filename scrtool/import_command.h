#pragma once
// What `import` needs besides the tables' rows: its palette choices and
// check, the options the picture library is given, and how it runs one
// picture.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "picture_in/import.h"
#include "scrtool/command_row.h"
#include "scrtool/screen_io.h"

namespace scrtool {

// Picture files larger than this are refused before they are read.
inline constexpr std::int64_t MaxPictureFileBytes = 256LL * 1024 * 1024;
// Any picture file up to that size.
extern const InputRule PictureInput;

std::string CheckImport(Invocation& inv);
void ChooseImportPalette(Invocation& inv, std::size_t choice);
std::vector<std::string_view> ImportPaletteNames();  // "auto", then the palettes

picture_in::ImportOptions ImportOptionsOf(const Invocation& inv);
// The levels of every named palette, the window's first: what `auto` may find.
std::vector<render::Palette> PaletteLevels();

Writes ImportWrites(const Invocation& inv, const std::string& input);
bool RunImport(RunContext& run, const Invocation& inv, const std::string& input);

}  // namespace scrtool
