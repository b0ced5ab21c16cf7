#include "picture/palettes.h"

#include <array>

namespace picture {
namespace {

// | name       | level | where it comes from                                            |
// |------------|-------|----------------------------------------------------------------|
// | scrlab     | 127   | the window's two views                                         |
// | fuse       | 192   | the Fuse emulator's display code; ImageMagick's SCR reader     |
// | rustzx     | 205   | rustzx; also the Wikimedia Commons "standard palette" page     |
// | spectralab | 215   | SpectraLab's "Default" palette                                 |
// | hardware   | 216   | 85 % of full voltage, quoted by several hardware write-ups     |
// scrtool's help prints the same table from here, so the two cannot drift.
constexpr std::array<NamedPalette, 5> Known{{
    {"scrlab", WindowLevels, "this program's window views (the default)"},
    {"fuse", {192, 255}, "the Fuse emulator's display code; ImageMagick's SCR reader"},
    {"rustzx", {205, 255}, "rustzx; the Wikimedia Commons \"ZX Spectrum standard palette\" page"},
    {"spectralab", {215, 255}, "SpectraLab's \"Default\" palette"},
    {"hardware", {216, 255}, "85 % of full voltage, as quoted in hardware write-ups"},
}};
static_assert(Known.front().levels.normalLevel == 127 && Known.front().levels.brightLevel == 255);

}  // namespace

std::span<const NamedPalette> Palettes() { return Known; }

const NamedPalette& WindowPalette() { return Known.front(); }

}  // namespace picture
