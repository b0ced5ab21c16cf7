#pragma once
// Inside the drawing service: the pass record and the body of FillBox, which a
// caller may call once per pixel. They sit in a header so that those calls
// can be inlined into their callers.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>

#include "toolkit/canvas/back_buffer.h"

namespace toolkit {

struct DrawingPass {
    std::shared_ptr<std::uint8_t[]> storage;  // keeps the pixels alive while the pass lasts
    std::shared_ptr<TileFlag[]> changedTiles;  // and the canvas's changed-tile map
    std::uint8_t* topRow = nullptr;           // the image's top row: the last row in memory
    TileFlag* tiles = nullptr;
    // 64-bit, so that no argument can overflow the clipping arithmetic. The
    // pixel and tile stores are typed 16 and 32 bits wide and so can never be
    // these fields: the compiler keeps them in registers across a run of calls.
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t rowLength = 0;               // bytes per row, positive
    std::int64_t tileColumns = 0;
    // A 2 x 2 box with 0 <= left < fastColumns and 0 <= top < fastRows lies
    // wholly inside (both 0 when the buffer is too small to hold one).
    std::uint64_t fastColumns = 0;
    std::uint64_t fastRows = 0;
    std::uint64_t foundStamp = 0;  // the back buffer's stamp when the pass was made
    std::uint64_t stamp = 0;       // the stamp the pass gave it
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

// Unaligned integer types: one store each instead of byte by byte. Only the
// typedef form lowers the alignment in both GCC and Clang.
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

// Flags the tiles of an area whose corners lie inside the back buffer.
inline void MarkTiles(const DrawingPass& pass, std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom) {
    for (std::int64_t row = top >> TileShift; row <= bottom >> TileShift; ++row)
        std::fill(pass.tiles + row * pass.tileColumns + (left >> TileShift),
                  pass.tiles + row * pass.tileColumns + (right >> TileShift) + 1, TileFlag{1});
}

// Flags the tiles of an area no more than one tile wide and high: `across` and
// `down` (0 or 1) say whether it reaches into the next tile.
inline void MarkSmallArea(const DrawingPass& pass, std::int64_t left, std::int64_t top, std::int64_t across,
                          std::int64_t down) {
    TileFlag* tile = pass.tiles + (top >> TileShift) * pass.tileColumns + (left >> TileShift);
    const std::int64_t below = down * pass.tileColumns;
    tile[0] = tile[across] = tile[below] = tile[below + across] = 1;
}

// Every box that is not a 2 x 2 one lying wholly inside. Out of line, so that
// the fast path stays small, but visible, so that the compiler sees it write
// nothing but pixels and keeps the pass in registers across the calls.
[[gnu::noinline, gnu::cold]] inline void FillClippedBox(const DrawingPass& pass, std::int64_t left,
                                                        std::int64_t top, std::int64_t columns,
                                                        std::int64_t rows, std::uint32_t pixel) {
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
    columns = std::min(columns, pass.width - left);
    rows = std::min(rows, pass.height - top);
    if (columns <= 0 || rows <= 0)
        return;
    MarkTiles(pass, left, top, left + columns - 1, top + rows - 1);
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
        // One screen pixel at twice its size.
        std::uint8_t* row = pass->topRow - top * pass->rowLength + left * 3;
        drawing_detail::StorePixelPair(row, pixel);
        drawing_detail::StorePixelPair(row - pass->rowLength, pixel);
        drawing_detail::MarkSmallArea(*pass, left, top, ((left + 1) >> TileShift) - (left >> TileShift),
                                      ((top + 1) >> TileShift) - (top >> TileShift));
        return;
    }
    drawing_detail::FillClippedBox(*pass, left, top, width, height, pixel);
}

} // namespace toolkit
