#pragma once
// The two views as every part of the program sees them: which controls they
// are, how big they are and which cell a point on them names. Where they
// stand is the main window's own affair (app/main_window_layout.h).

#include <optional>

#include "render/view_rule.h"
#include "screen/screen_layout.h"

namespace render {

// Control numbers of the two views and of the checkbox the renderer reads.
constexpr int MonoViewControl = 0;
constexpr int ColourViewControl = 1;
constexpr int GridCheckBoxControl = 3;

constexpr int ViewControl(View view) { return view == View::Mono ? MonoViewControl : ColourViewControl; }

constexpr int ViewScale = 2;                                  // view pixels per screen pixel, each way
constexpr int ViewWidth = screen::ScreenWidth * ViewScale;    // 512
constexpr int ViewHeight = screen::ScreenHeight * ViewScale;  // 384
constexpr int CellSpan = screen::CellSize * ViewScale;        // 16 view pixels a cell side
constexpr int CellShift = 4;                                  // view pixel to cell, as a shift
static_assert(1 << CellShift == CellSpan);

struct Cell {
    int column;
    int row;
    friend constexpr bool operator==(Cell, Cell) = default;
};

// The cell under view point (x, y), or nothing when the point lies outside
// the view: merged or fast movements can report a position past its edge.
constexpr std::optional<Cell> CellAt(int x, int y) {
    if (x < 0 || x >= ViewWidth || y < 0 || y >= ViewHeight)
        return std::nullopt;
    return Cell{x >> CellShift, y >> CellShift};
}

}  // namespace render
