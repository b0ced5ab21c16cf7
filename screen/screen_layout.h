#pragma once
// The ZX Spectrum screen layout: 6144 bytes of interleaved one-bit bitmap,
// then 768 attribute bytes, and the address arithmetic over it.

#include <array>
#include <cstdint>
#include <span>

namespace screen {

constexpr int ScreenWidth = 256;                         // pixels per line
constexpr int ScreenHeight = 192;                        // pixel lines
constexpr int CellSize = 8;                              // pixels per cell side
constexpr int CellColumns = ScreenWidth / CellSize;      // 32
constexpr int CellRows = ScreenHeight / CellSize;        // 24
constexpr int LineBytes = ScreenWidth / 8;               // 32
constexpr int BitmapSize = LineBytes * ScreenHeight;     // 6144
constexpr int AttributeCount = CellColumns * CellRows;   // 768
constexpr int ScreenSize = BitmapSize + AttributeCount;  // 6912
constexpr int AttributeStart = BitmapSize;               // 6144
constexpr int ThirdLines = 64;                           // pixel lines in a third
constexpr int ThirdBytes = ThirdLines * LineBytes;       // 2048
constexpr int PixelRowStep = 256;                        // bytes between a cell's pixel rows

// A whole screen's bytes, which a picture operation reads and rewrites in place.
using ScreenSpan = std::span<std::uint8_t, ScreenSize>;

// Attribute byte fields.
constexpr std::uint8_t FlashBit = 0x80;
constexpr std::uint8_t BrightBit = 0x40;
constexpr std::uint8_t PaperMask = 0x38;
constexpr std::uint8_t InkMask = 0x07;

constexpr int inkOf(std::uint8_t attr) { return attr & InkMask; }
constexpr int paperOf(std::uint8_t attr) { return (attr & PaperMask) >> 3; }
constexpr bool isBright(std::uint8_t attr) { return (attr & BrightBit) != 0; }

// The attribute byte of INK and PAPER colour numbers (0..7), BRIGHT and FLASH.
constexpr std::uint8_t MakeAttribute(int ink, int paper, bool bright, bool flash = false) {
    return static_cast<std::uint8_t>((flash ? FlashBit : 0) | (bright ? BrightBit : 0) | (paper & 7) << 3 | (ink & 7));
}

// Offset of the byte holding pixel (x, y), x 0..255, y 0..191.
constexpr int PixelByteOffset(int x, int y) {
    return (y / 64) * ThirdBytes + (y % 8) * PixelRowStep + ((y / 8) % 8) * LineBytes + x / 8;
}

// Offset of the top bitmap byte of cell (column, row); the cell's pixel row i
// lies PixelRowStep x i bytes further on.
constexpr int CellBitmapOffset(int column, int row) { return (row / 8) * ThirdBytes + (row % 8) * LineBytes + column; }

// Offset of the attribute byte of cell (column, row).
constexpr int AttributeOffset(int column, int row) { return AttributeStart + row * CellColumns + column; }

// The offset of the next pixel line; line 191 (6112) steps to 6144.
constexpr std::uint16_t NextLineOffset(std::uint16_t offset) {
    auto high = static_cast<std::uint8_t>(offset >> 8);
    auto low = static_cast<std::uint8_t>(offset & 0xFF);
    ++high;
    if (high % CellSize != 0)
        return static_cast<std::uint16_t>(high << 8 | low);  // next pixel row of the same cell row
    const std::uint8_t oldLow = low;
    low = static_cast<std::uint8_t>(low + LineBytes);
    // A low byte that passes 255 has left the third's last cell row, and the
    // carry into the high byte is exactly the step to the next third; otherwise
    // go back to pixel row 0 of the next cell row.
    if (oldLow < 256 - LineBytes)
        high = static_cast<std::uint8_t>(high - CellSize);
    return static_cast<std::uint16_t>(high << 8 | low);
}

// Offset of each pixel line, walked line by line from 0 as the operations walk them.
inline constexpr std::array<std::uint16_t, ScreenHeight> LineAddressTable = [] {
    std::array<std::uint16_t, ScreenHeight> table{};
    std::uint16_t offset = 0;
    for (auto& entry : table) {
        entry = offset;
        offset = NextLineOffset(offset);
    }
    return table;
}();

// Each byte with its eight bits in reverse order: a byte of pixels mirrored.
inline constexpr std::array<std::uint8_t, 256> BitReverseTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        unsigned reversed = 0;
        for (int bit = 0; bit < 8; ++bit)
            reversed |= ((b >> bit) & 1u) << (7 - bit);
        table[b] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}();

static_assert(LineAddressTable[1] == 256 && LineAddressTable[8] == 32 && LineAddressTable[64] == 2048 &&
              LineAddressTable[191] == 6112);
static_assert(NextLineOffset(LineAddressTable[191]) == AttributeStart);
static_assert(BitReverseTable[1] == 128 && BitReverseTable[18] == 72 && BitReverseTable[165] == 165);

// True when pixel (x, y) of the given screen is ink. x wraps within the line
// because it is 8-bit: -1 arrives as 255, 256 as 0. y must be 0..191.
bool PixelIsSet(const std::uint8_t* screen, std::uint8_t x, std::uint8_t y);

}  // namespace screen
