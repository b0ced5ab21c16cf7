// One-bit pictures drawn at twice their size, a row of 16 pixels at a time.

#include <array>
#include <cstring>

#include "toolkit/drawing/drawing.h"
#include "toolkit/drawing/drawing_pass.h"

namespace toolkit {
namespace {

// Which of the 48 bytes of a doubled row of eight pixels take the ink: all
// eight bits of each byte of a pixel whose bit is set.
constexpr std::array<std::array<std::uint8_t, 48>, 256> MakeInkMasks() {
    std::array<std::array<std::uint8_t, 48>, 256> masks{};
    for (int bits = 0; bits < 256; ++bits)
        for (int byte = 0; byte < 48; ++byte)
            masks[bits][byte] = bits & (0x80 >> (byte / 6)) ? 0xFF : 0;
    return masks;
}
constexpr std::array<std::array<std::uint8_t, 48>, 256> InkMasks = MakeInkMasks();

// The 16 x 2 rows pixels of a byte at twice its size, written row pair by
// row pair. With `Edged`, the block's top row and left column take the edge
// colour as they are written, so a grid over the blocks costs no store of its
// own. Inlined into each copy of its callers below.
template <bool Edged>
[[gnu::always_inline]] inline void FillBitsRows(int x, int y, const std::uint8_t* bits, int rows, std::ptrdiff_t step,
                                                ColourValue ink, ColourValue paper, ColourValue edge) {
    const DrawingPass* pass = drawing_detail::currentPass;
    if (!pass || rows <= 0)
        return;
    const std::int64_t left = x, top = y, height = std::int64_t{rows} * 2;
    if (left < 0 || left + 16 > pass->width || top < 0 || top + height > pass->height) {
        // Box by box, clipped; 64-bit, so that no coordinate can overflow.
        for (int row = 0; row < rows && top + 2 * row < pass->height; ++row)
            for (int m = 0; m < 8; ++m)
                drawing_detail::FillClippedBox(*pass, left + 2 * m, top + 2 * row, 2, 2,
                                               drawing_detail::PixelOf(bits[row * step] & (0x80 >> m) ? ink : paper));
        if (Edged) {
            drawing_detail::FillClippedBox(*pass, left, top, 16, 1, drawing_detail::PixelOf(edge));
            drawing_detail::FillClippedBox(*pass, left, top, 1, height, drawing_detail::PixelOf(edge));
        }
        return;
    }
    drawing_detail::MarkTiles(*pass, left, top, left + 15, top + height - 1);
    const std::uint32_t paperPixel = drawing_detail::PixelOf(paper);
    const drawing_detail::DoubledRow paperRow = drawing_detail::RowOf(paperPixel);
    const drawing_detail::DoubledRow contrastRow = drawing_detail::RowOf(drawing_detail::PixelOf(ink) ^ paperPixel);
    const drawing_detail::DoubledRow edgeRow = drawing_detail::RowOf(drawing_detail::PixelOf(edge));
    std::uint8_t* at = pass->topRow - top * pass->rowLength + left * 3;
    const std::int64_t rowLength = pass->rowLength;
    typedef std::uint64_t Wide __attribute__((vector_size(32)));  // the first 32 of a row's 48 bytes
    Wide paperWide, contrastWide, edgeWide;
    std::memcpy(&paperWide, paperRow.part, 32);
    std::memcpy(&contrastWide, contrastRow.part, 32);
    std::memcpy(&edgeWide, edgeRow.part, 32);
    const Wide firstPixel = {0xFFFFFFu, 0, 0, 0};  // the three bytes of the left column
    for (int row = 0; row < rows; ++row, at -= 2 * rowLength) {
        const std::uint8_t* maskBytes = InkMasks[bits[row * step]].data();
        Wide maskWide;
        drawing_detail::Lanes maskTail;
        std::memcpy(&maskWide, maskBytes, 32);
        std::memcpy(&maskTail, maskBytes + 32, 16);
        Wide wide = paperWide ^ (contrastWide & maskWide);
        const drawing_detail::Lanes tail = paperRow.part[2] ^ (contrastRow.part[2] & maskTail);
        if (Edged)
            wide = (wide & ~firstPixel) | (edgeWide & firstPixel);
        if (Edged && row == 0) {
            std::memcpy(at, edgeRow.part, 48);
        } else {
            std::memcpy(at, &wide, 32);
            std::memcpy(at + 32, &tail, 16);
        }
        std::memcpy(at - rowLength, &wide, 32);
        std::memcpy(at - rowLength + 32, &tail, 16);
    }
}

}  // namespace

// Drawing a picture costs its stores: a second copy of these functions made
// for processors with 32-byte registers (chosen when the program is loaded)
// needs two stores a row where the plain one needs three.
[[gnu::target_clones("avx2", "default")]] void FillBitsDoubled(int x, int y, const std::uint8_t* bits, int rows,
                                                               std::ptrdiff_t step, ColourValue ink,
                                                               ColourValue paper) {
    FillBitsRows<false>(x, y, bits, rows, step, ink, paper, 0);
}

[[gnu::target_clones("avx2", "default")]] void FillBitsDoubledEdged(int x, int y, const std::uint8_t* bits, int rows,
                                                                    std::ptrdiff_t step, ColourValue ink,
                                                                    ColourValue paper, ColourValue edge) {
    FillBitsRows<true>(x, y, bits, rows, step, ink, paper, edge);
}

}  // namespace toolkit
