#pragma once
// PNG encoding of the pictures, in memory, by libpng.

#include <cstdint>
#include <string>
#include <vector>

#include "base/result.h"
#include "scrtool/picture.h"

namespace scrtool {

// Palette PNGs at four bits a pixel where the palette allows. A fast zlib
// level: these pictures are large runs of few colours, and a higher level
// costs several times the time for a few percent of size.
// A failure is an error result, never an exception: the files after it are
// still done.
base::Result<std::vector<std::uint8_t>> EncodePng(const IndexedPicture& picture);
base::Result<std::vector<std::uint8_t>> EncodePng(const RgbPicture& picture);

namespace seams {
// Runs before each picture is encoded; an error makes the encoding fail with
// it. The program's own (png_seams.cpp) never fails; a test links its own.
base::Status BeforePngEncoding();
}  // namespace seams

}  // namespace scrtool
