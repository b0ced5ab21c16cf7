#pragma once
// What png and thumbnail make of a picture file of any mode: its picture by
// the one drawing rule, as a PNG, an animation of its frames or FLASH
// phases, or a thumbnail.

#include <cstdint>
#include <span>
#include <vector>

#include "base/result.h"
#include "modes/picture_modes.h"
#include "picture/drawing.h"
#include "picture/resample.h"
#include "render/view_rule.h"

namespace scrtool {

using picture::FitInto;
using picture::Grid;
using picture::Image;
using picture::IndexedPicture;
using picture::RgbPicture;
using picture::ToRgb;

struct PngLook {
    render::View view = render::View::Colour;  // mono: a classic screen's bitmap alone
    int scale = 2;
    Grid grid = Grid::Off;
    picture::Levels levels = picture::WindowLevels;
    bool flash = false;   // both FLASH phases as an animation, when they differ
    bool frames = false;  // each frame of the picture in turn, at the machine's 50 Hz
};

// The PNG of a file's bytes of `mode`: one still picture (its frames as the
// eye sees them), or an animated PNG when the look asks for one and the
// picture changes.
base::Result<std::vector<std::uint8_t>> PngOf(const modes::PictureMode& mode, std::span<const std::uint8_t> bytes,
                                              const PngLook& look);

// The still picture in the window's palette at one pixel a pixel, fitted so
// that its larger side is `size`, as a PNG.
base::Result<std::vector<std::uint8_t>> ThumbnailOf(const modes::PictureMode& mode, std::span<const std::uint8_t> bytes,
                                                    int size);

// A classic screen's view as the window draws it (FLASH not shown, no cell
// highlighted), each screen pixel a scale x scale block; the grid lines run
// along the left and top edge of every cell.
IndexedPicture DrawView(std::span<const std::uint8_t> screen, render::View view, int scale, Grid grid,
                        render::Palette palette = render::WindowPalette);

}  // namespace scrtool
