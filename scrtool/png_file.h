#pragma once
// PNG encoding of the pictures, in memory, by libpng.

#include <cstdint>
#include <vector>

#include "base/result.h"
#include "picture/drawing.h"

namespace scrtool {

// Palette PNGs at the fewest bits a pixel the palette allows. A fast zlib
// level: these pictures are large runs of few colours, and a higher level
// costs several times the time for a few percent of size.
base::Result<std::vector<std::uint8_t>> EncodePng(const picture::IndexedPicture& picture);
base::Result<std::vector<std::uint8_t>> EncodePng(const picture::RgbPicture& picture);
base::Result<std::vector<std::uint8_t>> EncodePng(const picture::Image& image);

// The cause of every encoding failure (libpng's own words in the detail).
std::error_code PngEncodingFailed();

}  // namespace scrtool
