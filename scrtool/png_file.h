#pragma once
// PNG encoding of the pictures, in memory, by libpng.

#include <cstdint>
#include <string>
#include <vector>

#include "scrtool/picture.h"

namespace scrtool {

// Palette PNGs at four bits a pixel where the palette allows. A fast zlib
// level: these pictures are large runs of few colours, and a higher level
// costs several times the time for a few percent of size.
std::vector<std::uint8_t> EncodePng(const IndexedPicture& picture);
std::vector<std::uint8_t> EncodePng(const RgbPicture& picture);

}  // namespace scrtool
