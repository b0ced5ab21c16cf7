#include "picture_in/decode.h"

#include <algorithm>
#include <cstring>

namespace picture_in {
namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view start) {
    return bytes.size() >= start.size() && std::memcmp(bytes.data(), start.data(), start.size()) == 0;
}

}  // namespace

Format FormatOf(std::span<const std::uint8_t> bytes) {
    if (StartsWith(bytes, "\x89PNG\r\n\x1a\n"))
        return Format::Png;
    if (StartsWith(bytes, "\xff\xd8\xff"))
        return Format::Jpeg;
    if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a"))
        return Format::Gif;
    if (StartsWith(bytes, "BM"))
        return Format::Bmp;
    if (bytes.size() >= 2 && bytes[0] == 'P' && std::strchr("2356", bytes[1]) && bytes[1] != 0)
        return Format::Pnm;
    return Format::Unknown;
}

Decoded Decode(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
    switch (FormatOf(bytes)) {
    case Format::Png: return DecodePng(bytes, options);
    case Format::Jpeg: return DecodeJpeg(bytes, options);
    case Format::Gif: return DecodeGif(bytes, options);
    case Format::Bmp: return DecodeBmp(bytes, options);
    case Format::Pnm: return DecodePnm(bytes, options);
    case Format::Unknown: break;
    }
    return Refused("not a picture in a known format (PNG, JPEG, GIF, BMP, PPM, PGM)");
}

}  // namespace picture_in
