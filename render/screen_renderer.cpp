#include "render/screen_renderer.h"

#include <array>
#include <cstdint>

#include "toolkit/controls/controls.h"
#include "toolkit/drawing/drawing.h"

namespace render {
namespace {

using screen::AttributeStart;
using toolkit::ColourValue;

constexpr int Scale = 2;                 // canvas pixels per screen pixel, each way
constexpr int CellsPerThird = 256;
constexpr int CellSpan = screen::CellSize * Scale;  // 16 canvas pixels
constexpr int ViewWidth = screen::ScreenWidth * Scale;
constexpr int ViewHeight = screen::ScreenHeight * Scale;
// The mono view shows the bitmap alone: INK 7 on PAPER 0, not bright.
constexpr std::uint8_t MonoAttribute = 7;
constexpr ColourValue GridColour = toolkit::MakeColour(0, 0, 255);

constexpr ColourValue PaletteColour(int number, bool bright) {
    const int level = bright ? 255 : 127;
    return toolkit::MakeColour(number & 2 ? level : 0, number & 4 ? level : 0, number & 1 ? level : 0);
}

// Indexed by colour number plus 8 for BRIGHT.
constexpr std::array<ColourValue, 16> Palette = [] {
    std::array<ColourValue, 16> palette{};
    for (int i = 0; i < 16; ++i)
        palette[i] = PaletteColour(i & 7, i >= 8);
    return palette;
}();

constexpr ColourValue InkOf(std::uint8_t attr) {
    return Palette[screen::inkOf(attr) + (screen::isBright(attr) ? 8 : 0)];
}
constexpr ColourValue PaperOf(std::uint8_t attr) {
    return Palette[screen::paperOf(attr) + (screen::isBright(attr) ? 8 : 0)];
}

void DrawView(const std::uint8_t* working, int view, std::int64_t highlight, bool grid) {
    toolkit::BeginDrawing(toolkit::CanvasDrawTarget(view));
    for (int third = 0; third < 3; ++third) {
        for (int pixelRow = 0; pixelRow < screen::CellSize; ++pixelRow) {
            for (int cell = 0; cell < CellsPerThird; ++cell) {
                const int attributeIndex = CellsPerThird * third + cell;
                std::uint8_t attr = view == MonoView ? MonoAttribute : working[AttributeStart + attributeIndex];
                if (attributeIndex == highlight)
                    attr = static_cast<std::uint8_t>(255 - attr);
                const std::uint8_t bits =
                    working[screen::ThirdBytes * third + screen::PixelRowStep * pixelRow + cell];
                const ColourValue paper = PaperOf(attr);
                const ColourValue inkOverPaper = InkOf(attr) ^ paper;
                const int x = screen::CellSize * (cell % screen::CellColumns);
                const int y = screen::ThirdLines * third + screen::CellSize * (cell / screen::CellColumns) + pixelRow;
                // The colour is picked by masking, not branching: the bits are the
                // picture's, and a branch on them would be mispredicted half the time.
#pragma GCC unroll 8
                for (int m = 0; m < 8; ++m) {
                    const ColourValue set = 0u - ((bits >> (7 - m)) & 1u);
                    toolkit::FillBox(Scale * (x + m), Scale * y, Scale, Scale, paper ^ (inkOverPaper & set));
                }
            }
        }
    }
    // Lines along the left and top edge of every cell; the far end lies one
    // pixel beyond the view, which the line clipping takes care of.
    if (grid) {
        for (int x = 0; x < screen::CellColumns; ++x)
            toolkit::DrawLine(CellSpan * x, 0, CellSpan * x, ViewHeight, GridColour);
        for (int y = 0; y < screen::CellRows; ++y)
            toolkit::DrawLine(0, CellSpan * y, ViewWidth, CellSpan * y, GridColour);
    }
    toolkit::EndDrawing();
}

} // namespace

void ScreenRenderer(const screen::ScreenStore& store, int column, int row) {
    const bool grid = toolkit::GetControlState(GridCheckBox) != 0;
    const std::int64_t highlight = std::int64_t{row} * screen::CellColumns + column;
    DrawView(store.working(), MonoView, highlight, grid);
    DrawView(store.working(), ColourView, highlight, grid);
}

} // namespace render
