#pragma once
// A view of a screen as an image, drawn by the window's pixel rule at any
// whole scale, and its reduction to thumbnail size.

#include <cstdint>
#include <vector>

#include "render/view_rule.h"
#include "scrtool/screen_io.h"

namespace scrtool {

enum class Grid { Off, On };

// Pixels as indices into a palette of at most 16 colours, row by row.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<render::Rgb> palette;
    std::vector<std::uint8_t> pixels;
};

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<render::Rgb> pixels;
};

// The view as the window draws it (FLASH not shown, no cell highlighted),
// each screen pixel a scale x scale block; the grid lines run along the left
// and top edge of every cell.
IndexedPicture DrawView(const Screen& screen, render::View view, int scale, Grid grid,
                        render::Palette palette = render::WindowPalette);

RgbPicture ToRgb(const IndexedPicture& picture);

// The screen as the second phase of FLASH shows it: ink and paper swapped in
// every cell whose FLASH bit is set. The first phase is the screen itself.
Screen SecondFlashPhase(const Screen& screen);

// Resized so that its larger side is `size` pixels, keeping the shape: each
// new pixel is the mean of the old pixels whose centres fall inside it, or
// the nearest old pixel when none does (enlarging).
RgbPicture FitInto(const RgbPicture& picture, int size);

}  // namespace scrtool
