#include "render/screen_renderer.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "toolkit/controls/controls.h"
#include "toolkit/drawing/drawing.h"

namespace render {
namespace {

using screen::AttributeCount;
using screen::AttributeStart;
using screen::BitmapSize;
using toolkit::ColourValue;

constexpr int CellsPerThird = 256;

constexpr ColourValue ColourOf(Rgb rgb) { return toolkit::MakeColour(rgb.red, rgb.green, rgb.blue); }
constexpr ColourValue GridColourValue = ColourOf(GridColour);

using ChangedCells = std::array<bool, AttributeCount>;

// Takes the new inputs into `drawn` and answers which cells they change.
ChangedCells TakeInputs(DrawnView& drawn, const std::uint8_t* working, View view, std::int64_t highlight, bool grid,
                        bool drawnIsShown) {
    ChangedCells changed{};
    const bool all = !drawnIsShown || grid != drawn.grid;
    drawn.grid = grid;
    for (int cell = 0; cell < AttributeCount; ++cell) {
        const std::uint8_t attr = AttributeUsed(view, working[AttributeStart + cell], cell == highlight);
        changed[cell] = all || attr != drawn.attributes[cell];
        drawn.attributes[cell] = attr;
    }
    // Eight bytes at a time: the bytes of eight neighbouring cells in one pixel row.
    for (int offset = 0; offset < BitmapSize; offset += 8) {
        std::uint64_t now, before;
        std::memcpy(&now, working + offset, 8);
        std::memcpy(&before, drawn.bitmap.data() + offset, 8);
        if (now == before)
            continue;
        const int firstCell = offset / screen::ThirdBytes * CellsPerThird + offset % CellsPerThird;
        for (int byte = 0; byte < 8; ++byte)
            changed[firstCell + byte] |= working[offset + byte] != drawn.bitmap[offset + byte];
        std::memcpy(drawn.bitmap.data() + offset, &now, 8);
    }
    return changed;
}

// The grid runs along the left and top edge of every cell, so a cell drawn
// with the grid on carries its own piece of it.
void DrawCell(const std::uint8_t* working, int cell, std::uint8_t attr, bool grid) {
    const int column = cell % screen::CellColumns;
    const int row = cell / screen::CellColumns;
    const ColourValue ink = ColourOf(InkColour(attr));
    const ColourValue paper = ColourOf(PaperColour(attr));
    const std::uint8_t* bits = working + screen::CellBitmapOffset(column, row);
    if (grid)
        toolkit::FillBitsDoubledEdged(CellSpan * column, CellSpan * row, bits, screen::CellSize, screen::PixelRowStep,
                                      ink, paper, GridColourValue);
    else
        toolkit::FillBitsDoubled(CellSpan * column, CellSpan * row, bits, screen::CellSize, screen::PixelRowStep, ink,
                                 paper);
}

void DrawView(DrawnView& drawn, const std::uint8_t* working, View view, std::int64_t highlight, bool grid) {
    toolkit::BeginDrawing(toolkit::CanvasDrawTarget(ViewControl(view)));
    const ChangedCells changed =
        TakeInputs(drawn, working, view, highlight, grid, toolkit::DrawingPassContinues(drawn.mark));
    drawn.mark = toolkit::DrawingPassMark();
    for (int cell = 0; cell < AttributeCount; ++cell)
        if (changed[cell])
            DrawCell(working, cell, drawn.attributes[cell], grid);
    toolkit::EndDrawing();
}

}  // namespace

void ViewsRenderer::Draw(const screen::ScreenStore& store, int column, int row) {
    const bool grid = toolkit::GetControlState(GridCheckBoxControl) != 0;
    const std::int64_t highlight = std::int64_t{row} * screen::CellColumns + column;
    DrawView(drawn_[0], store.Working(), View::Mono, highlight, grid);
    DrawView(drawn_[1], store.Working(), View::Colour, highlight, grid);
}

}  // namespace render
