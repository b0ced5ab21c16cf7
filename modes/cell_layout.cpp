#include "modes/cell_layout.h"

namespace modes {

using screen::ColourCode;

namespace {

// Eight pixels of one bitmap byte, most significant bit leftmost.
inline void PaintByte(std::uint8_t bits, ColourCode ink, ColourCode paper, ColourCode* out) {
    for (int m = 0; m < 8; ++m)
        out[m] = (bits >> (7 - m)) & 1 ? ink : paper;
}

}  // namespace

void PaintCells(std::span<const std::uint8_t> bitmap, Order bitmapOrder, const AttributeTable& attributes,
                screen::FlashPhase phase, ColourCode* frame) {
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        const std::uint8_t* line = bitmap.data() + LineOffset(bitmapOrder, y);
        ColourCode* out = frame + static_cast<std::size_t>(y) * screen::ScreenWidth;
        for (int column = 0; column < screen::CellColumns; ++column, out += 8) {
            const std::uint8_t attribute = attributes.At(column, y);
            PaintByte(line[column], InkCode(attribute, phase), PaperCode(attribute, phase), out);
        }
    }
}

void PaintBits(std::span<const std::uint8_t> bitmap, Order bitmapOrder, ColourCode ink, ColourCode paper,
               ColourCode* frame) {
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        const std::uint8_t* line = bitmap.data() + LineOffset(bitmapOrder, y);
        ColourCode* out = frame + static_cast<std::size_t>(y) * screen::ScreenWidth;
        for (int column = 0; column < screen::CellColumns; ++column, out += 8)
            PaintByte(line[column], ink, paper, out);
    }
}

screen::DecodedPicture BlankPicture(int width, int height, int frames, int rowRepeat) {
    screen::DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.frames = frames;
    picture.rowRepeat = rowRepeat;
    picture.pixels.assign(static_cast<std::size_t>(frames) * width * height, 0);
    return picture;
}

}  // namespace modes
