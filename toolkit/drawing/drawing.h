#pragma once
// Drawing passes into a canvas's back buffer. A pass is made current by
// CanvasDrawTarget, begun by BeginDrawing, and ended by EndDrawing, which puts
// the new picture on the screen at once. The primitives write the pixel bytes
// directly and act on the current pass; with none they do nothing.

#include <algorithm>
#include <bit>
#include <cstdint>
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
// Nonzero when the pass has begun. Target 0 answers 0 and changes nothing; a
// target that is not the current pass (or whose canvas has gone) answers 0
// and leaves no pass current.
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
    // 64-bit, so that no argument can overflow the clipping arithmetic. The
    // pixel stores are typed 16 and 32 bits wide and so can never be these
    // fields: the compiler keeps them in registers across a run of FillBox calls.
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t rowLength = 0;               // bytes per row, positive
    // A 2 x 2 box with 0 <= left < fastColumns and 0 <= top < fastRows lies
    // wholly inside (both 0 when the buffer is too small to hold one).
    std::uint64_t fastColumns = 0;
    std::uint64_t fastRows = 0;
    int control = -1;
};

namespace drawing_detail {

static_assert(std::endian::native == std::endian::little, "pixel words are laid out little-endian");

// The process-wide mirror of this thread's current pass, read by the primitives.
extern DrawingPass* activePass;

// The colour's blue, green and red bytes in memory order in the low three
// bytes; the alpha byte plays no part. Splitting is a byte swap and a shift,
// done afresh by every primitive: cheaper than keeping the last colour and
// comparing with it, a branch that callers changing colour often mispredict.
inline std::uint32_t PixelOf(ColourValue colour) { return __builtin_bswap32(colour) >> 8; }

// Unaligned integer types (a GCC and Clang extension): one store each instead
// of byte by byte. Only the typedef form lowers the alignment in both.
typedef std::uint16_t Unaligned16 __attribute__((aligned(1)));
typedef std::uint32_t Unaligned32 __attribute__((aligned(1)));
static_assert(alignof(Unaligned16) == 1 && alignof(Unaligned32) == 1);

// One pixel: blue, green, red, as two overlapping 16-bit stores.
inline void StorePixel(std::uint8_t* at, std::uint32_t pixel) {
    *reinterpret_cast<Unaligned16*>(at) = static_cast<std::uint16_t>(pixel);
    *reinterpret_cast<Unaligned16*>(at + 1) = static_cast<std::uint16_t>(pixel >> 8);
}

// Two neighbouring pixels of one row: six bytes blue, green, red, blue, green, red.
inline void StorePixelPair(std::uint8_t* at, std::uint32_t pixel) {
    *reinterpret_cast<Unaligned32*>(at) = pixel | (pixel << 24);
    *reinterpret_cast<Unaligned16*>(at + 4) = static_cast<std::uint16_t>(pixel >> 8);
}

// Every box that is not a 2 x 2 one lying wholly inside. Out of line, so that
// the fast path stays small, but visible, so that the compiler sees it write
// nothing but pixels and keeps the pass in registers across the calls.
[[gnu::noinline, gnu::cold]] inline void FillClippedBox(const DrawingPass& pass, std::int64_t left,
                                                        std::int64_t top, std::int64_t columns,
                                                        std::int64_t rows, std::uint32_t pixel) {
    if (columns < 0) {  // a negative size reaches back from the given corner
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
    columns = std::min(columns, pass.width - left);
    rows = std::min(rows, pass.height - top);
    if (columns <= 0 || rows <= 0)
        return;
    std::uint8_t* row = pass.topRow - top * pass.rowLength + left * 3;
    for (std::int64_t r = 0; r < rows; ++r, row -= pass.rowLength)
        for (std::int64_t c = 0; c < columns; ++c)
            StorePixel(row + c * 3, pixel);
}

} // namespace drawing_detail

inline void FillBox(int x, int y, int width, int height, ColourValue colour) {
    DrawingPass* pass = drawing_detail::activePass;
    if (!pass)
        return;
    const std::int64_t left = x;
    const std::int64_t top = y;
    const std::uint32_t pixel = drawing_detail::PixelOf(colour);
    if (width == 2 && height == 2 && static_cast<std::uint64_t>(left) < pass->fastColumns
        && static_cast<std::uint64_t>(top) < pass->fastRows) {
        // The renderer's boxes, one per screen pixel.
        std::uint8_t* row = pass->topRow - top * pass->rowLength + left * 3;
        drawing_detail::StorePixelPair(row, pixel);
        drawing_detail::StorePixelPair(row - pass->rowLength, pixel);
        return;
    }
    drawing_detail::FillClippedBox(*pass, left, top, width, height, pixel);
}

} // namespace toolkit
