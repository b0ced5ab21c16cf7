#include "scrtool/png_file.h"

#include <algorithm>
#include <csetjmp>
#include <string>

#include <png.h>

namespace scrtool {
namespace {

constexpr int CompressionLevel = 1;

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

class PngCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "png"; }
    std::string message(int) const override { return "PNG encoding failed"; }
};

// libpng's words for its error, kept for the result; it jumps back to the
// writer's setjmp after this.
void KeepError(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

using Encoded = base::Result<std::vector<std::uint8_t>>;

// libpng reports errors by longjmp; nothing with a destructor may live
// between setjmp and the jump, so the rows are prepared by the caller.
class PngWriter {
public:
    PngWriter() {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error_, KeepError, IgnoreWarning);
        info_ = png_ ? png_create_info_struct(png_) : nullptr;
    }
    ~PngWriter() { png_destroy_write_struct(&png_, &info_); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    Encoded Write(int width, int height, int depth, int colourType, const std::vector<png_color>& palette,
                  const std::vector<png_bytep>& rows) {
        if (!info_)
            return base::Error{PngEncodingFailed(), {}, "out of memory"};
        std::vector<std::uint8_t> out;
        if (setjmp(png_jmpbuf(png_)))
            return base::Error{PngEncodingFailed(), {}, error_};
        png_set_write_fn(png_, &out, Append, Flush);
        png_set_IHDR(png_, info_, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth, colourType,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (!palette.empty()) {
            png_set_PLTE(png_, info_, palette.data(), static_cast<int>(palette.size()));
            // Every index comes from the palette it is drawn with; libpng's
            // check of each row for indices past its end cost a tenth of
            // the encoding.
            png_set_check_for_invalid_index(png_, 0);
        }
        png_set_compression_level(png_, CompressionLevel);
        png_set_filter(png_, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_write_info(png_, info_);
        png_write_image(png_, const_cast<png_bytepp>(rows.data()));
        png_write_end(png_, nullptr);
        return out;
    }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    std::string error_;
};

}  // namespace

std::error_code PngEncodingFailed() {
    static const PngCategory category;
    return {1, category};
}

// Bits a pixel for a palette of `colours`: the fewest PNG allows.
int DepthFor(std::size_t colours) { return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8; }

Encoded EncodePng(const picture::IndexedPicture& picture) {
    const int depth = DepthFor(picture.palette.size());
    const int perByte = 8 / depth;
    const std::size_t rowBytes = (static_cast<std::size_t>(picture.width) + perByte - 1) / perByte;
    std::vector<std::uint8_t> packed(rowBytes * picture.height);
    std::vector<png_bytep> rows(picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        std::uint8_t* out = packed.data() + rowBytes * y;
        rows[y] = out;
        if (depth == 8) {
            std::copy_n(in, picture.width, out);
        } else if (depth == 4) {
            // Unsigned and counted in pairs, so that the compiler packs many at a time.
            const std::size_t pairs = static_cast<std::size_t>(picture.width) / 2;
            for (std::size_t i = 0; i < pairs; ++i)
                out[i] = static_cast<std::uint8_t>(in[2 * i] << 4 | in[2 * i + 1]);
            if (picture.width % 2)
                out[rowBytes - 1] = static_cast<std::uint8_t>(in[picture.width - 1] << 4);
        } else {
            // Whole bytes first, each built from its pixels in turn, then the partial last one.
            const int whole = picture.width / perByte;
            for (int i = 0; i < whole; ++i, in += perByte) {
                unsigned byte = 0;
                for (int k = 0; k < perByte; ++k)
                    byte = byte << depth | in[k];
                out[i] = static_cast<std::uint8_t>(byte);
            }
            for (int k = 0; k < picture.width % perByte; ++k)
                out[whole] |= static_cast<std::uint8_t>(in[k] << (8 - depth - depth * k));
        }
    }
    std::vector<png_color> palette;
    for (const picture::Rgb colour : picture.palette)
        palette.push_back(png_color{colour.red, colour.green, colour.blue});
    return PngWriter().Write(picture.width, picture.height, depth, PNG_COLOR_TYPE_PALETTE, palette, rows);
}

Encoded EncodePng(const picture::RgbPicture& picture) {
    static_assert(sizeof(picture::Rgb) == 3);
    std::vector<png_bytep> rows(picture.height);
    auto* bytes = reinterpret_cast<const std::uint8_t*>(picture.pixels.data());
    for (int y = 0; y < picture.height; ++y)
        rows[y] = const_cast<png_bytep>(bytes + static_cast<std::size_t>(y) * picture.width * 3);
    return PngWriter().Write(picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, {}, rows);
}

Encoded EncodePng(const picture::Image& image) {
    return std::visit([](const auto& picture) { return EncodePng(picture); }, image);
}

}  // namespace scrtool
