#include "screen/whole_screen_ops.h"

#include <utility>

namespace screen {

std::uint8_t SwapInkPaper(std::uint8_t attr) {
    return static_cast<std::uint8_t>((attr & (FlashBit | BrightBit)) | ((attr & InkMask) << 3) |
                                     ((attr & PaperMask) >> 3));
}

void InvertCell(std::uint8_t* screen, int column, int row) {
    const int top = CellBitmapOffset(column, row);
    for (int i = 0; i < CellSize; ++i) {
        std::uint8_t& byte = screen[top + i * PixelRowStep];
        byte = static_cast<std::uint8_t>(~byte);
    }
    std::uint8_t& attr = screen[AttributeOffset(column, row)];
    attr = SwapInkPaper(attr);
}

void InvertScreen(ScreenSpan screen) {
    for (int offset = 0; offset < BitmapSize; ++offset) {
        screen[offset] = static_cast<std::uint8_t>(screen[offset] ^ 0xFF);
    }
    for (int index = 0; index < AttributeCount; ++index) {
        screen[AttributeStart + index] = SwapInkPaper(screen[AttributeStart + index]);
    }
}

void MirrorHorisontal(ScreenSpan screen) {
    std::uint16_t line = 0;
    for (int y = 0; y < ScreenHeight; ++y) {
        std::uint8_t* bytes = screen.data() + line;
        for (int k = 0; k < LineBytes / 2; ++k) {
            const std::uint8_t left = BitReverseTable[bytes[k]];
            const std::uint8_t right = BitReverseTable[bytes[LineBytes - 1 - k]];
            bytes[LineBytes - 1 - k] = left;
            bytes[k] = right;
        }
        line = NextLineOffset(line);
    }
    for (int row = 0; row < CellRows; ++row) {
        std::uint8_t* attrs = screen.data() + AttributeOffset(0, row);
        for (int k = 0; k < CellColumns / 2; ++k) {
            std::swap(attrs[k], attrs[CellColumns - 1 - k]);
        }
    }
}

namespace {

// Neighbours "match" when one's ink is the other's paper; FLASH and BRIGHT do
// not count.
bool InkMeetsPaper(std::uint8_t cur, std::uint8_t next) {
    return inkOf(cur) == paperOf(next) || inkOf(next) == paperOf(cur);
}

}  // namespace

void OptimizeAttributes(ScreenSpan screen) {
    for (int row = 0; row < CellRows; ++row) {
        for (int column = 0; column < CellColumns - 1; ++column) {
            // Read both afresh: the previous step may have swapped `cur`, and
            // that change is meant to ripple along the row.
            const std::uint8_t cur = screen[AttributeOffset(column, row)];
            const std::uint8_t next = screen[AttributeOffset(column + 1, row)];
            if (InkMeetsPaper(cur, next)) {
                InvertCell(screen.data(), column + 1, row);
            }
        }
    }
}

void InvertCellsByClick(ScreenSpan screen, int column, int row, MouseButton button) {
    if (column < 0 || column >= CellColumns || row < 0 || row >= CellRows) {
        return;
    }
    const int last = button == MouseButton::Right ? CellColumns - 1 : column;
    for (int c = column; c <= last; ++c) {
        InvertCell(screen.data(), c, row);
    }
}

}  // namespace screen
