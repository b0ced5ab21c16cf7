#pragma once
// Drawing passes into a canvas's back buffer. A pass is made current by
// CanvasDrawTarget, begun by BeginDrawing, and ended by EndDrawing, which puts
// the new picture on the screen at once. The primitives write the pixel bytes
// directly and act on the current pass; with none they do nothing.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace toolkit {

// Red in bits 0..7, green in 8..15, blue in 16..23; the top byte is ignored.
using ColourValue = std::uint32_t;

// Summed without masking, as the callers' values are 0..255 anyway.
constexpr ColourValue MakeColour(int red, int green, int blue) {
    return static_cast<ColourValue>(red) + static_cast<ColourValue>(green) * 256u
           + static_cast<ColourValue>(blue) * 65536u;
}

using DrawTarget = std::intptr_t;

// Makes a pass on the canvas with that control number and makes it current
// (ending a pass still current without showing it). 0 when the number is not a
// canvas.
DrawTarget CanvasDrawTarget(int control);
// Nonzero when the pass has begun; 0 for target 0 or a target that is not the
// current pass, and then no pass is current.
std::intptr_t BeginDrawing(DrawTarget target);
// Ends the current pass and repaints its canvas before returning.
void EndDrawing();

inline void FillBox(int x, int y, int width, int height, ColourValue colour);
void DrawLine(int x1, int y1, int x2, int y2, ColourValue colour);

// The pass record. It sits in this header so that FillBox, called once per
// screen pixel by the renderer, can be inlined into its caller.
struct DrawingPass {
    std::shared_ptr<std::uint8_t[]> storage;  // keeps the pixels alive while the pass lasts
    std::uint8_t* topRow = nullptr;           // the image's top row: the last row in memory
    int width = 0;
    int height = 0;
    int rowLength = 0;                        // bytes per row, positive
    int originX = 0;
    int originY = 0;
    int control = -1;
    bool begun = false;
    // The colour cache: the last colour value a primitive received.
    ColourValue colour = 0;
};

namespace drawing_detail {

// The process-wide mirror of this thread's current pass, read by the primitives.
extern DrawingPass* activePass;

// One pixel as it is stored: blue, green, red. The alpha byte plays no part.
struct StoredPixel {
    std::uint8_t bytes[3];
};

// Takes the colour into the pass's cache and splits it. Splitting every time
// costs less than the comparison it would save, whose branch the renderer
// (changing colour nearly every call) would mispredict.
inline StoredPixel TakeColour(DrawingPass& pass, ColourValue colour) {
    pass.colour = colour;
    return StoredPixel{{static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                        static_cast<std::uint8_t>(colour)}};
}

} // namespace drawing_detail

inline void FillBox(int x, int y, int width, int height, ColourValue colour) {
    DrawingPass* pass = drawing_detail::activePass;
    if (!pass)
        return;
    // 64-bit, so that no argument can overflow the clipping arithmetic.
    std::int64_t left = std::int64_t{x} + pass->originX;
    std::int64_t top = std::int64_t{y} + pass->originY;
    std::int64_t columns = width;
    std::int64_t rows = height;
    if (columns < 0) {
        left += columns;
        columns = -columns;
    }
    if (rows < 0) {
        top += rows;
        rows = -rows;
    }
    if (left < 0) {
        columns += left;
        left = 0;
    }
    if (top < 0) {
        rows += top;
        top = 0;
    }
    columns = std::min(columns, pass->width - left);
    rows = std::min(rows, pass->height - top);
    if (columns <= 0 || rows <= 0)
        return;
    const drawing_detail::StoredPixel stored = drawing_detail::TakeColour(*pass, colour);
    const std::uint8_t* pixel = stored.bytes;
    const std::ptrdiff_t rowLength = pass->rowLength;
    std::uint8_t* row = pass->topRow - top * rowLength + left * 3;
    if (columns == 2) {
        // The renderer's 2 x 2 boxes: one six-byte run per row.
        std::uint8_t run[6] = {pixel[0], pixel[1], pixel[2], pixel[0], pixel[1], pixel[2]};
        for (std::int64_t r = 0; r < rows; ++r, row -= rowLength)
            std::memcpy(row, run, sizeof run);
        return;
    }
    for (std::int64_t r = 0; r < rows; ++r, row -= rowLength) {
        std::uint8_t* out = row;
        for (std::int64_t c = 0; c < columns; ++c, out += 3)
            std::memcpy(out, pixel, 3);
    }
}

} // namespace toolkit
