#include "screen/screen_layout.h"

namespace screen {

std::array<std::uint16_t, ScreenHeight> LineAddressTable{};
std::array<std::uint8_t, 256> BitReverseTable{};

std::uint16_t NextLineOffset(std::uint16_t offset) {
    auto high = static_cast<std::uint8_t>(offset >> 8);
    auto low = static_cast<std::uint8_t>(offset & 0xFF);
    ++high;
    if (high % CellSize != 0) {
        // Next pixel row inside the same cell row.
        return static_cast<std::uint16_t>(high << 8 | low);
    }
    const std::uint8_t oldLow = low;
    low = static_cast<std::uint8_t>(low + LineBytes);
    // A low byte that passes 255 has left the third's last cell row, and the
    // carry into the high byte is exactly the step to the next third; otherwise
    // go back to pixel row 0 of the next cell row.
    if (oldLow < 256 - LineBytes) {
        high = static_cast<std::uint8_t>(high - CellSize);
    }
    return static_cast<std::uint16_t>(high << 8 | low);
}

void BuildLookupTables() {
    std::uint16_t offset = 0;
    for (int y = 0; y < ScreenHeight; ++y) {
        LineAddressTable[y] = offset;
        offset = NextLineOffset(offset);
    }
    for (int b = 0; b < 256; ++b) {
        std::uint8_t reversed = 0;
        unsigned testMask = 0x80;
        unsigned setMask = 0x01;
        for (int bit = 0; bit < 8; ++bit) {
            if ((b & testMask) != 0) {
                reversed = static_cast<std::uint8_t>(reversed | setMask);
            }
            testMask >>= 1;
            setMask <<= 1;
        }
        BitReverseTable[b] = reversed;
    }
}

bool PixelIsSet(const std::uint8_t* screen, std::uint8_t x, std::uint8_t y) {
    // The offset is assembled from the bit fields of y: pixel row, then cell
    // row, then third. A y above 191 would land in the attribute area, never
    // outside the screen.
    const unsigned high = (y & 7u) | ((y >> 3) & 24u);
    const unsigned low = ((y << 2) & 224u) | (x >> 3);
    const std::uint8_t byte = screen[high << 8 | low];
    return (byte & (0x80u >> (x & 7u))) != 0;
}

} // namespace screen
