#include "imageformats/screen_image.h"

#include <algorithm>

namespace imageformats {
namespace {

bool IsProgram(std::span<const std::uint8_t> start) { return start.size() >= 2 && start[0] == 'M' && start[1] == 'Z'; }

bool IsScr(std::string_view extension) {
    return modes::ModeFor(extension, modes::ClassicMode().sizes.front()) == &modes::ClassicMode();
}

}  // namespace

const modes::PictureMode* ModeOfFile(std::string_view extension, std::uint64_t size,
                                     std::span<const std::uint8_t> start) {
    if (IsScr(extension) && IsProgram(start))
        return nullptr;
    return modes::ModeFor(extension, size);
}

std::uint64_t LookLimit(std::string_view extension) {
    const std::uint64_t largest = modes::LargestSizeFor(extension);
    return largest == 0 ? 0 : largest + 1;
}

base::Result<picture::RgbPicture> StillPicture(const modes::PictureMode& mode, std::span<const std::uint8_t> bytes) {
    auto decoded = mode.decode(bytes, screen::FlashPhase::First);
    if (!decoded)
        return decoded.error();
    return picture::ToRgb(picture::Draw(*decoded, {}));
}

void CopyRows(const picture::RgbPicture& picture, std::uint8_t* pixels, std::size_t rowBytes) {
    static_assert(sizeof(picture::Rgb) == BytesPerPixel);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(
            reinterpret_cast<const std::uint8_t*>(picture.pixels.data() + static_cast<std::size_t>(y) * picture.width),
            static_cast<std::size_t>(picture.width) * BytesPerPixel, pixels + static_cast<std::size_t>(y) * rowBytes);
}

}  // namespace imageformats
