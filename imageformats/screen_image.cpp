#include "imageformats/screen_image.h"

namespace imageformats {

bool IsScreenFile(std::uint64_t size, std::span<const std::uint8_t> start) {
    if (size != ScreenBytes)
        return false;
    return !(start.size() >= 2 && start[0] == 'M' && start[1] == 'Z');
}

void DrawColourView(std::span<const std::uint8_t, ScreenBytes> screenBytes, std::uint8_t* pixels, std::size_t rowBytes,
                    render::Palette palette) {
    for (int y = 0; y < PictureHeight; ++y) {
        std::uint8_t* out = pixels + static_cast<std::size_t>(y) * rowBytes;
        for (int column = 0; column < screen::CellColumns; ++column) {
            const std::uint8_t cell = screenBytes[screen::AttributeOffset(column, y / screen::CellSize)];
            const std::uint8_t attribute = render::AttributeUsed(render::View::Colour, cell, false);
            const render::Rgb ink = render::InkColour(attribute, palette);
            const render::Rgb paper = render::PaperColour(attribute, palette);
            const std::uint8_t bits = screenBytes[screen::PixelByteOffset(column * screen::CellSize, y)];
            for (int m = 0; m < screen::CellSize; ++m, out += BytesPerPixel) {
                const render::Rgb colour = (bits >> (7 - m)) & 1 ? ink : paper;
                out[0] = colour.red;
                out[1] = colour.green;
                out[2] = colour.blue;
            }
        }
    }
}

}  // namespace imageformats
