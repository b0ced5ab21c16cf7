// PNG through libpng's simplified reading interface: every colour type and
// depth comes out as 8-bit RGB, alpha laid over the background by libpng
// (which mixes in linear light).
#include <png.h>

#include "picture_in/decode.h"

namespace picture_in {

static_assert(sizeof(Rgb) == 3, "pictures are read straight into their pixels");

Decoded DecodePng(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        base::Error refused = Refused(std::string("bad PNG: ") + image.message);
        png_image_free(&image);
        return refused;
    }
    // 16-bit samples without a gamma chunk are sRGB like 8-bit ones, as every
    // editor writes them; libpng would otherwise take them as linear.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    if (std::string refusal = SizeRefusal(image.width, image.height); !refusal.empty()) {
        png_image_free(&image);
        return Refused(refusal);
    }
    image.format = PNG_FORMAT_RGB;
    Picture picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    const png_color background{options.background.red, options.background.green, options.background.blue};
    if (!png_image_finish_read(&image, &background, picture.pixels.data(), 0, nullptr)) {
        base::Error refused = Refused(std::string("bad PNG: ") + image.message);
        png_image_free(&image);
        return refused;
    }
    png_image_free(&image);
    return picture;
}

}  // namespace picture_in
