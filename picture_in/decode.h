#pragma once
// Pictures from the bytes of a file, whatever its name says: the format is
// known by its first bytes. PNG, JPEG, GIF (first frame), BMP, PPM and PGM.

#include <cstdint>
#include <span>

#include "picture_in/picture.h"

namespace picture_in {

struct DecodeOptions {
    // Transparent pixels are laid over this colour.
    Rgb background{0, 0, 0};
    // A JPEG may be decoded at 1/2, 1/4 or 1/8 of its size (libjpeg-turbo
    // scales in its DCT, at a fraction of the cost) while it stays at least
    // this large; 0 decodes at full size.
    int minWidth = 0;
    int minHeight = 0;
};

enum class Format { Png, Jpeg, Gif, Bmp, Pnm, Unknown };

Format FormatOf(std::span<const std::uint8_t> bytes);

Decoded Decode(std::span<const std::uint8_t> bytes, const DecodeOptions& options);

// One decoder per format, each reached by Decode; the fuzz targets call them
// directly so each is searched on its own.
Decoded DecodePng(std::span<const std::uint8_t> bytes, const DecodeOptions& options);
Decoded DecodeJpeg(std::span<const std::uint8_t> bytes, const DecodeOptions& options);
Decoded DecodeGif(std::span<const std::uint8_t> bytes, const DecodeOptions& options);
Decoded DecodeBmp(std::span<const std::uint8_t> bytes, const DecodeOptions& options);
Decoded DecodePnm(std::span<const std::uint8_t> bytes, const DecodeOptions& options);

}  // namespace picture_in
