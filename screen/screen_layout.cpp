#include "screen/screen_layout.h"

namespace screen {

bool PixelIsSet(const std::uint8_t* screen, std::uint8_t x, std::uint8_t y) {
    // The offset is assembled from the bit fields of y: pixel row, then cell
    // row, then third. A y above 191 would land in the attribute area, never
    // outside the screen.
    const unsigned high = (y & 7u) | ((y >> 3) & 24u);
    const unsigned low = ((y << 2) & 224u) | (x >> 3);
    const std::uint8_t byte = screen[high << 8 | low];
    return (byte & (0x80u >> (x & 7u))) != 0;
}

}  // namespace screen
