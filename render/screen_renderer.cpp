#include "render/screen_renderer.h"

#include <array>
#include <cstdint>

#include "toolkit/controls/controls.h"
#include "toolkit/drawing/drawing.h"

namespace render {
namespace {

using screen::AttributeStart;
using toolkit::ColourValue;

constexpr int CellsPerThird = 256;

constexpr ColourValue ColourOf(Rgb rgb) { return toolkit::MakeColour(rgb.red, rgb.green, rgb.blue); }
constexpr ColourValue GridColourValue = ColourOf(GridColour);

void DrawView(const std::uint8_t* working, View view, std::int64_t highlight, bool grid) {
    toolkit::BeginDrawing(toolkit::CanvasDrawTarget(ViewControl(view)));
    for (int third = 0; third < 3; ++third) {
        for (int pixelRow = 0; pixelRow < screen::CellSize; ++pixelRow) {
            for (int cell = 0; cell < CellsPerThird; ++cell) {
                const int attributeIndex = CellsPerThird * third + cell;
                const std::uint8_t attr =
                    AttributeUsed(view, working[AttributeStart + attributeIndex], attributeIndex == highlight);
                const std::uint8_t bits =
                    working[screen::ThirdBytes * third + screen::PixelRowStep * pixelRow + cell];
                const ColourValue paper = ColourOf(PaperColour(attr));
                const ColourValue inkOverPaper = ColourOf(InkColour(attr)) ^ paper;
                const int x = screen::CellSize * (cell % screen::CellColumns);
                const int y = screen::ThirdLines * third + screen::CellSize * (cell / screen::CellColumns) + pixelRow;
                // The colour is picked by masking, not branching: the bits are the
                // picture's, and a branch on them would be mispredicted half the time.
#pragma GCC unroll 8
                for (int m = 0; m < 8; ++m) {
                    const ColourValue set = 0u - ((bits >> (7 - m)) & 1u);
                    toolkit::FillBox(ViewScale * (x + m), ViewScale * y, ViewScale, ViewScale, paper ^ (inkOverPaper & set));
                }
            }
        }
    }
    // Lines along the left and top edge of every cell; the far end lies one
    // pixel beyond the view, which the line clipping takes care of.
    if (grid) {
        for (int x = 0; x < screen::CellColumns; ++x)
            toolkit::DrawLine(CellSpan * x, 0, CellSpan * x, ViewHeight, GridColourValue);
        for (int y = 0; y < screen::CellRows; ++y)
            toolkit::DrawLine(0, CellSpan * y, ViewWidth, CellSpan * y, GridColourValue);
    }
    toolkit::EndDrawing();
}

} // namespace

void ScreenRenderer(const screen::ScreenStore& store, int column, int row) {
    const bool grid = toolkit::GetControlState(GridCheckBoxControl) != 0;
    const std::int64_t highlight = std::int64_t{row} * screen::CellColumns + column;
    DrawView(store.working(), View::Mono, highlight, grid);
    DrawView(store.working(), View::Colour, highlight, grid);
}

} // namespace render
