#include "screen/outline_ops.h"

#include <array>
#include <bit>
#include <cstring>

namespace screen {

namespace {

void CopyBitmap(std::uint8_t* to, const std::uint8_t* from) { std::memcpy(to, from, BitmapSize); }

// A pixel line as four 64-bit words, pixel 0 in the top bit of word 0, so
// that moving every pixel one place is one shift per word.
constexpr int LineWords = LineBytes / 8;
using LineBits = std::array<std::uint64_t, LineWords>;

// Lines are stored pixel 0 first, so on a little-endian machine each word's
// bytes are swapped on the way in and out.
std::uint64_t BigEndianWord(std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::little) {
        return __builtin_bswap64(word);
    } else {
        return word;
    }
}

LineBits LoadLine(const std::uint8_t* bytes) {
    LineBits line;
    for (int i = 0; i < LineWords; ++i) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i * 8, sizeof word);
        line[i] = BigEndianWord(word);
    }
    return line;
}

void StoreLine(const LineBits& line, std::uint8_t* bytes) {
    for (int i = 0; i < LineWords; ++i) {
        const std::uint64_t word = BigEndianWord(line[i]);
        std::memcpy(bytes + i * 8, &word, sizeof word);
    }
}

// Every pixel moved one place to the right; `pixel0` (0 or 1) enters at the left end.
LineBits MovedRight(const LineBits& line, std::uint64_t pixel0) {
    LineBits moved{};
    for (int i = 0; i < LineWords; ++i) {
        const std::uint64_t incoming = i == 0 ? pixel0 : line[i - 1] & 1u;
        moved[i] = line[i] >> 1 | incoming << 63;
    }
    return moved;
}

// Every pixel moved one place to the left; `pixel255` (0 or 1) enters at the right end.
LineBits MovedLeft(const LineBits& line, std::uint64_t pixel255) {
    LineBits moved{};
    for (int i = 0; i < LineWords; ++i) {
        const std::uint64_t incoming = i == LineWords - 1 ? pixel255 : line[i + 1] >> 63;
        moved[i] = line[i] << 1 | incoming;
    }
    return moved;
}

LineBits operator|(const LineBits& a, const LineBits& b) {
    LineBits both{};
    for (int i = 0; i < LineWords; ++i) {
        both[i] = a[i] | b[i];
    }
    return both;
}

// The line with each ink pixel grown by one to either side; nothing wraps.
// Kept inline: called, it hands its words over through memory, and the
// mismatched stores and loads made Create Mask four times slower.
[[gnu::always_inline]] inline LineBits Widened(const LineBits& line) {
    return line | MovedRight(line, 0) | MovedLeft(line, 0);
}

}  // namespace

// Each mask line is its widened line ORed with the widened lines above and
// below, which are kept from one line to the next. A line of the working screen
// is overwritten only after the line below it has been read. The scratch plane
// ends holding the mask too, as a pass-by-pass dilation through it would leave it.
void CreateMask(ScreenSpan screen, ScreenSpan scratch) {
    std::uint8_t* w = screen.data();
    LineBits above{};  // above line 0 everything counts as clear
    LineBits current = Widened(LoadLine(w + LineAddressTable[0]));
    for (int y = 0; y < ScreenHeight; ++y) {
        const LineBits below = y + 1 < ScreenHeight ? Widened(LoadLine(w + LineAddressTable[y + 1])) : LineBits{};
        StoreLine(above | current | below, w + LineAddressTable[y]);
        above = current;
        current = below;
    }
    CopyBitmap(scratch.data(), w);
}

void FindContour(ScreenSpan screen, ScreenSpan scratch) {
    std::uint8_t* w = screen.data();
    std::uint8_t* s = scratch.data();
    std::memset(s, 0, BitmapSize);
    // Lines 0 and 191 lack a neighbour line and stay clear.
    for (int y = 1; y < ScreenHeight - 1; ++y) {
        const LineBits line = LoadLine(w + LineAddressTable[y]);
        // Sideways the line wraps: pixel 255 is the left neighbour of pixel 0.
        const LineBits inkBeside = MovedRight(line, line[LineWords - 1] & 1u) | MovedLeft(line, line[0] >> 63);
        const LineBits inkNear =
            inkBeside | LoadLine(w + LineAddressTable[y - 1]) | LoadLine(w + LineAddressTable[y + 1]);
        LineBits contour{};
        for (int i = 0; i < LineWords; ++i) {
            contour[i] = inkNear[i] & ~line[i];
        }
        StoreLine(contour, s + LineAddressTable[y]);
    }
    CopyBitmap(w, s);
}

}  // namespace screen
