#pragma once
// Pictures written and read by ImageMagick (/usr/bin/convert, Debian's
// imagemagick), for the tests: the decoders are checked against another
// program's files and its reading of them, not against our idea of a format.

#include <cstdint>
#include <string>
#include <vector>

#include "picture_in/picture.h"

namespace picture_in::testing {

using Bytes = std::vector<std::uint8_t>;

// `input` (a file in `inputFormat`, "ppm") converted with `options` to
// `outputFormat` ("BMP3", "PNG48"); throws when convert fails.
Bytes Magick(const Bytes& input, const std::string& inputFormat, const std::vector<std::string>& options,
             const std::string& outputFormat);

// The pixels of a file as ImageMagick reads them, rounded to 8 bits a sample.
Picture MagickPixels(const Bytes& file, int width, int height);

// A binary PPM of the picture, 8 bits a sample, or of 16-bit samples (three
// a pixel, row by row).
Bytes PpmOf(const Picture& picture);
Bytes Ppm16Of(int width, int height, const std::vector<std::uint16_t>& samples);

}  // namespace picture_in::testing
