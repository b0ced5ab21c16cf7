#pragma once
// Inside the drawing service: the pass record, the current pass, and the
// stores and tile marking the primitives share.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>

#include "toolkit/canvas/back_buffer.h"
#include "toolkit/drawing/drawing.h"

namespace toolkit {

struct DrawingPass {
    std::shared_ptr<std::uint8_t[]> storage;   // keeps the pixels alive while the pass lasts
    std::shared_ptr<TileFlag[]> changedTiles;  // and the canvas's changed-tile map
    std::uint8_t* topRow = nullptr;            // the image's top row: the last row in memory
    TileFlag* tiles = nullptr;
    // 64-bit, so that no argument can overflow the clipping arithmetic.
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t rowLength = 0;  // bytes per row, positive
    std::int64_t tileColumns = 0;
    std::uint64_t foundStamp = 0;  // the back buffer's stamp when the pass was made
    std::uint64_t stamp = 0;       // the stamp the pass gave it
    int control = -1;
};

namespace drawing_detail {

static_assert(std::endian::native == std::endian::little, "pixel words are laid out little-endian");

// The current pass, or null; the primitives act on it.
extern DrawingPass* currentPass;

// The colour's blue, green and red bytes in memory order in the low three
// bytes; the alpha byte plays no part.
inline std::uint32_t PixelOf(ColourValue colour) { return __builtin_bswap32(colour) >> 8; }

// Unaligned integer type: one store instead of byte by byte. Only the typedef
// form lowers the alignment in both GCC and Clang.
typedef std::uint16_t Unaligned16 __attribute__((aligned(1)));
static_assert(alignof(Unaligned16) == 1);

// One pixel: blue, green, red, as two overlapping 16-bit stores.
inline void StorePixel(std::uint8_t* at, std::uint32_t pixel) {
    *reinterpret_cast<Unaligned16*>(at) = static_cast<std::uint16_t>(pixel);
    *reinterpret_cast<Unaligned16*>(at + 1) = static_cast<std::uint16_t>(pixel >> 8);
}

// Flags the tiles of an area whose corners lie inside the back buffer.
inline void MarkTiles(const DrawingPass& pass, std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom) {
    for (std::int64_t row = top >> TileShift; row <= bottom >> TileShift; ++row)
        std::fill(pass.tiles + row * pass.tileColumns + (left >> TileShift),
                  pass.tiles + row * pass.tileColumns + (right >> TileShift) + 1, TileFlag{1});
}

// A box clipped to the back buffer; a negative size reaches back from the
// given corner.
void FillClippedBox(const DrawingPass& pass, std::int64_t left, std::int64_t top, std::int64_t columns,
                    std::int64_t rows, std::uint32_t pixel);

// Sixteen pixel bytes in one register (a GCC and Clang extension).
typedef std::uint64_t Lanes __attribute__((vector_size(16)));

// The 48 bytes of sixteen pixels in a row, as three registers.
struct DoubledRow {
    Lanes part[3];
};

// Sixteen pixels of one colour: its three bytes repeated, the pattern
// beginning again every 24 bytes, that is every three 64-bit words.
inline DoubledRow RowOf(std::uint32_t pixel) {
    const std::uint64_t p = pixel;
    const std::uint64_t word0 = p | p << 24 | p << 48;
    const std::uint64_t word1 = p >> 16 | p << 8 | p << 32 | p << 56;
    const std::uint64_t word2 = p >> 8 | p << 16 | p << 40;
    return DoubledRow{{Lanes{word0, word1}, Lanes{word2, word0}, Lanes{word1, word2}}};
}

}  // namespace drawing_detail
}  // namespace toolkit
