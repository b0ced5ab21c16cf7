#pragma once
// The layout rules the modes share: where a bitmap line starts, and painting
// 256 x 192 pixels of INK and PAPER from a bitmap and an attribute table.

#include <cstdint>
#include <span>

#include "modes/picture_modes.h"
#include "screen/decoded_picture.h"
#include "screen/screen_layout.h"

namespace modes {

// Where line y (0-191) of a 32-byte-wide bitmap starts.
constexpr int LineOffset(Order order, int y) {
    return order == Order::Interleaved ? screen::LineAddressTable[y] : y * screen::LineBytes;
}

// The codes of an attribute's INK and PAPER in a FLASH phase: in the second
// phase a cell with FLASH shows them swapped.
constexpr screen::ColourCode InkCode(std::uint8_t attribute, screen::FlashPhase phase) {
    const bool swapped = phase == screen::FlashPhase::Second && (attribute & screen::FlashBit);
    const int number = swapped ? screen::paperOf(attribute) : screen::inkOf(attribute);
    return screen::SpectrumColour(number, screen::isBright(attribute));
}
constexpr screen::ColourCode PaperCode(std::uint8_t attribute, screen::FlashPhase phase) {
    const bool swapped = phase == screen::FlashPhase::Second && (attribute & screen::FlashBit);
    const int number = swapped ? screen::inkOf(attribute) : screen::paperOf(attribute);
    return screen::SpectrumColour(number, screen::isBright(attribute));
}

// Attributes of cells 8 pixels wide and `cellHeight` lines high: row r of
// 32 bytes at 32 x r (Linear), or the attribute of line y at the bitmap's
// own offset of that line (Interleaved, cells 8 x 1).
struct AttributeTable {
    std::span<const std::uint8_t> bytes;
    int cellHeight = screen::CellSize;
    Order order = Order::Linear;

    std::uint8_t At(int column, int y) const {
        return order == Order::Interleaved ? bytes[LineOffset(Order::Interleaved, y) + column]
                                           : bytes[(y / cellHeight) * screen::CellColumns + column];
    }
};

// Paints one 256 x 192 frame (row after row into `frame`): a set bit of the
// bitmap is INK, a clear bit PAPER, coloured by the cell's attribute.
void PaintCells(std::span<const std::uint8_t> bitmap, Order bitmapOrder, const AttributeTable& attributes,
                screen::FlashPhase phase, screen::ColourCode* frame);

// Paints one 256 x 192 frame from a bitmap alone: set bits `ink`, clear bits `paper`.
void PaintBits(std::span<const std::uint8_t> bitmap, Order bitmapOrder, screen::ColourCode ink,
               screen::ColourCode paper, screen::ColourCode* frame);

// A picture of `frames` frames of width x height, every code 0.
screen::DecodedPicture BlankPicture(int width, int height, int frames = 1, int rowRepeat = 1);

}  // namespace modes
