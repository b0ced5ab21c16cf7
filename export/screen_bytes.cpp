#include "export/screen_bytes.h"

#include "screen/screen_layout.h"

namespace exporter {

using namespace screen;

std::vector<std::uint8_t> PartBytes(std::span<const std::uint8_t> whole, Part part, Order order) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(ScreenSize);
    if (part != Part::Attributes) {
        if (order == Order::Screen) {
            bytes.insert(bytes.end(), whole.begin(), whole.begin() + BitmapSize);
        } else {
            for (int line = 0; line < ScreenHeight; ++line) {
                const auto start = whole.begin() + LineAddressTable[line];
                bytes.insert(bytes.end(), start, start + LineBytes);
            }
        }
    }
    if (part != Part::Bitmap)
        bytes.insert(bytes.end(), whole.begin() + AttributeStart, whole.begin() + ScreenSize);
    return bytes;
}

std::vector<std::uint8_t> RcsOrder(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
    std::size_t next = 0;
    for (int third = 0; third < ScreenHeight / ThirdLines; ++third)
        for (int column = 0; column < CellColumns; ++column)
            for (int cellRow = 0; cellRow < ThirdLines / CellSize; ++cellRow)
                for (int pixelRow = 0; pixelRow < CellSize; ++pixelRow)
                    out[next++] = bytes[third * ThirdBytes + pixelRow * PixelRowStep + cellRow * LineBytes + column];
    return out;
}

std::string_view PartName(Part part) {
    switch (part) {
    case Part::All: return "all";
    case Part::Bitmap: return "bitmap";
    case Part::Attributes: return "attributes";
    }
    return {};
}

std::string_view OrderName(Order order) { return order == Order::Screen ? "screen" : "linear"; }

}  // namespace exporter
