#include "screen/outline_ops.h"

#include <cstring>

namespace screen {

namespace {

void CopyBitmap(std::uint8_t* to, const std::uint8_t* from) {
    std::memcpy(to, from, BitmapSize);
}

// One line of `from` shifted a pixel to the right (each byte's bit 0 carries
// into bit 7 of the byte to its right), ORed with itself. Pixels pushed past
// the right end are dropped.
void SpreadLineRight(const std::uint8_t* from, std::uint8_t* to) {
    unsigned carry = 0;
    for (int k = 0; k < LineBytes; ++k) {
        const unsigned b = from[k];
        to[k] = static_cast<std::uint8_t>((carry << 7) | (b >> 1) | b);
        carry = b & 1u;
    }
}

// The same to the left: bit 7 carries into bit 0 of the byte to the left.
void SpreadLineLeft(const std::uint8_t* from, std::uint8_t* to) {
    unsigned carry = 0;
    for (int k = LineBytes - 1; k >= 0; --k) {
        const unsigned b = from[k];
        to[k] = static_cast<std::uint8_t>(((b << 1) | carry | b) & 0xFFu);
        carry = b >> 7;
    }
}

void OrLine(std::uint8_t* into, const std::uint8_t* from) {
    for (int k = 0; k < LineBytes; ++k) {
        into[k] = static_cast<std::uint8_t>(into[k] | from[k]);
    }
}

} // namespace

void CreateMask(ScreenStore& store) {
    TakeUndoCopy(store);
    std::uint8_t* w = store.working();
    std::uint8_t* s = store.scratch();

    std::uint16_t line = 0;
    for (int y = 0; y < ScreenHeight; ++y, line = NextLineOffset(line)) {
        SpreadLineRight(w + line, s + line);
    }
    CopyBitmap(w, s);

    line = 0;
    for (int y = 0; y < ScreenHeight; ++y, line = NextLineOffset(line)) {
        SpreadLineLeft(w + line, s + line);
    }
    CopyBitmap(w, s);

    // Up: each line takes the line below it as it was before this pass (S
    // still holds that), so nothing spreads by more than one line.
    std::uint16_t upper = 0;
    std::uint16_t lower = NextLineOffset(upper);
    for (int y = 0; y < ScreenHeight - 1; ++y) {
        OrLine(w + upper, s + lower);
        upper = NextLineOffset(upper);
        lower = NextLineOffset(lower);
    }
    CopyBitmap(s, w);

    // Down: read W, write S, so again one line only.
    for (int y = ScreenHeight - 1; y >= 1; --y) {
        OrLine(s + LineAddressTable[y], w + LineAddressTable[y - 1]);
    }
    CopyBitmap(w, s);
}

namespace {

// The paper pixels of `line` with an ink neighbour to the left, right, above
// or below. Left and right wrap around within the line.
void ContourLine(const std::uint8_t* above, const std::uint8_t* line, const std::uint8_t* below,
                 std::uint8_t* out) {
    for (int k = 0; k < LineBytes; ++k) {
        const unsigned cur = line[k];
        const unsigned before = line[(k + LineBytes - 1) % LineBytes];
        const unsigned after = line[(k + 1) % LineBytes];
        const unsigned inkToLeft = (cur >> 1) | (before << 7);
        const unsigned inkToRight = (cur << 1) | (after >> 7);
        const unsigned touching = inkToLeft | inkToRight | above[k] | below[k];
        out[k] = static_cast<std::uint8_t>(touching & ~cur);
    }
}

} // namespace

void FindContour(ScreenStore& store) {
    TakeUndoCopy(store);
    std::uint8_t* w = store.working();
    std::uint8_t* s = store.scratch();
    std::memset(s, 0, BitmapSize);
    // Lines 0 and 191 lack a neighbour line and stay clear.
    for (int y = 1; y < ScreenHeight - 1; ++y) {
        ContourLine(w + LineAddressTable[y - 1], w + LineAddressTable[y],
                    w + LineAddressTable[y + 1], s + LineAddressTable[y]);
    }
    CopyBitmap(w, s);
}

} // namespace screen
