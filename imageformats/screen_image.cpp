#include "imageformats/screen_image.h"

#include <algorithm>

#include "modes/classic.h"
#include "picture/drawing.h"

namespace imageformats {

bool IsScreenFile(std::uint64_t size, std::span<const std::uint8_t> start) {
    if (size != ScreenBytes)
        return false;
    return !(start.size() >= 2 && start[0] == 'M' && start[1] == 'Z');
}

void DrawColourView(std::span<const std::uint8_t, ScreenBytes> screenBytes, std::uint8_t* pixels, std::size_t rowBytes,
                    render::Palette palette) {
    const auto decoded = modes::DecodeClassic(screenBytes, screen::FlashPhase::First);
    const picture::RgbPicture image = picture::ToRgb(picture::Draw(*decoded, {1, palette}));
    for (int y = 0; y < PictureHeight; ++y) {
        std::uint8_t* out = pixels + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < PictureWidth; ++x, out += BytesPerPixel) {
            const picture::Rgb colour = image.pixels[static_cast<std::size_t>(y) * PictureWidth + x];
            out[0] = colour.red;
            out[1] = colour.green;
            out[2] = colour.blue;
        }
    }
}

}  // namespace imageformats
