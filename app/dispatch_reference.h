#pragma once
// What each command must make of a screen, worked out pixel by pixel with
// addressing of its own, so the dispatch tests do not grade the picture
// operations by themselves.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "testsupport/pixel_oracle.h"

namespace reference {

using Screen = std::vector<std::uint8_t>;

constexpr int Width = 256;
constexpr int Height = 192;
constexpr int Attributes = 6144;

using testsupport::PixelMask;
using testsupport::PixelOffset;
inline bool Lit(const Screen& s, int x, int y) { return testsupport::PixelOf(s.data(), x, y); }
inline void Light(Screen& s, int x, int y) { testsupport::SetPixel(s.data(), x, y); }

inline std::uint8_t InkPaperSwapped(std::uint8_t a) {
    const int ink = a & 7, paper = (a >> 3) & 7;
    return static_cast<std::uint8_t>((a & 0xC0) | ink << 3 | paper);
}

inline Screen WithClearBitmap(const Screen& s) {
    Screen out = s;
    std::fill(out.begin(), out.begin() + Attributes, 0);
    return out;
}

inline Screen Inverted(Screen s) {
    for (int i = 0; i < Attributes; ++i)
        s[i] ^= 0xFF;
    for (std::size_t i = Attributes; i < s.size(); ++i)
        s[i] = InkPaperSwapped(s[i]);
    return s;
}

inline Screen Mirrored(Screen s) {
    const Screen in = s;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (Lit(in, x, y) != Lit(in, Width - 1 - x, y))
                s[PixelOffset(x, y)] ^= PixelMask(x);
    for (int row = 0; row < 24; ++row)
        for (int column = 0; column < 32; ++column)
            s[testsupport::AttributeOffset(column, row)] = in[testsupport::AttributeOffset(31 - column, row)];
    return s;
}

// Clear pixels with a lit neighbour left, right (both wrapping), above or
// below; the top and bottom lines stay clear.
inline Screen Contour(Screen s) {
    Screen out = WithClearBitmap(s);
    for (int y = 1; y < Height - 1; ++y)
        for (int x = 0; x < Width; ++x)
            if (!Lit(s, x, y) && (Lit(s, (x + Width - 1) % Width, y) || Lit(s, (x + 1) % Width, y) ||
                                  Lit(s, x, y - 1) || Lit(s, x, y + 1)))
                Light(out, x, y);
    return out;
}

// Pixels with any lit pixel in the 3 x 3 square around them; nothing wraps.
inline Screen Mask(Screen s) {
    Screen out = WithClearBitmap(s);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (x + dx >= 0 && x + dx < Width && y + dy >= 0 && y + dy < Height && Lit(s, x + dx, y + dy))
                        Light(out, x, y);
    return out;
}

// Left to right along each row, on attributes already changed: a cell whose
// paper is its left neighbour's ink, or whose ink is that neighbour's paper,
// is inverted (bits complemented, ink and paper swapped).
inline Screen Optimized(Screen s) {
    for (int row = 0; row < 24; ++row)
        for (int column = 1; column < 32; ++column) {
            const std::uint8_t left = s[testsupport::AttributeOffset(column - 1, row)];
            std::uint8_t& cell = s[testsupport::AttributeOffset(column, row)];
            if ((left & 7) != ((cell >> 3) & 7) && (cell & 7) != ((left >> 3) & 7))
                continue;
            cell = InkPaperSwapped(cell);
            for (int line = 0; line < 8; ++line)
                s[PixelOffset(column * 8, row * 8 + line)] ^= 0xFF;
        }
    return s;
}

// "b1 AND b2" with b2 = 0: every attribute cleared, the bitmap kept.
inline Screen AttributesCleared(Screen s) {
    std::fill(s.begin() + Attributes, s.end(), 0);
    return s;
}

}  // namespace reference
