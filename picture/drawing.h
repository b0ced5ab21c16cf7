#pragma once
// The one drawing rule: a decoded picture of any mode into light, at any
// whole scale, its frames combined as the eye sees them (their average in
// linear light) or one frame alone. scrtool's pictures, thumbnails and
// animations and the image readers all draw through it; the window's views
// take their colours from picture/colours.h.

#include <cstdint>
#include <variant>
#include <vector>

#include "picture/colours.h"
#include "screen/decoded_picture.h"

namespace picture {

// Pixels as indices into a palette of at most 256 colours, row by row.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> pixels;
};

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
};

// Indexed whenever the colours fit a palette, which for every mode's
// pictures they do; red-green-blue otherwise.
using Image = std::variant<IndexedPicture, RgbPicture>;

enum class Grid { Off, On };

constexpr Rgb GridColour{0, 0, 255};

// At cellSpan pixels a cell side, the grid runs along the left and top edge
// of every cell and along neither the right nor the bottom edge of the picture.
constexpr bool OnGrid(int x, int y, int cellSpan) { return x % cellSpan == 0 || y % cellSpan == 0; }

// Which colours a picture's palette holds: all 15 of the Spectrum's (every
// classic screen's PNG has that one palette, as it always had) or only those
// the picture uses (fewer bits a pixel for a picture of few colours).
enum class PaletteEntries { AllSpectrum, UsedOnly };

struct DrawOptions {
    int scale = 1;  // each pixel a scale x scale block (lines also repeated rowRepeat times)
    Levels levels = WindowLevels;
    Grid grid = Grid::Off;  // lines along the 8 x 8 cells' left and top edges
    PaletteEntries entries = PaletteEntries::AllSpectrum;
};

// The picture as the eye sees it: one frame as it is, several averaged in
// linear light. A one-frame picture of the 15 colours has the 15 (black
// once) as its palette, in colour-number order, then the grid's colour
// unless one of them is that colour.
Image Draw(const screen::DecodedPicture& picture, const DrawOptions& options);

// Frame `frame` alone, with the palette every frame of the picture draws with.
Image DrawFrame(const screen::DecodedPicture& picture, int frame, const DrawOptions& options);

RgbPicture ToRgb(const Image& image);

int WidthOf(const Image& image);
int HeightOf(const Image& image);

}  // namespace picture
