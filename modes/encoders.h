#pragma once
// The writers of the modes a picture can be written in exactly (the "and
// back" of their rows): a picture whose every cell fits comes out as the file
// that decodes to it; any other is refused, naming the first cell that does
// not fit. A picture of one frame fills both frames of a gigascreen.

#include <cstdint>
#include <vector>

#include "base/result.h"
#include "screen/decoded_picture.h"

namespace modes {

using Encoded = base::Result<std::vector<std::uint8_t>>;

Encoded EncodeUlaPlusScreen(const screen::DecodedPicture& picture);
Encoded EncodeTimexHiColour(const screen::DecodedPicture& picture);
Encoded EncodeTimexHiColourUlaPlus(const screen::DecodedPicture& picture);
Encoded EncodeGigascreen(const screen::DecodedPicture& picture);  // .img
Encoded EncodeMlt(const screen::DecodedPicture& picture);
Encoded EncodeMc(const screen::DecodedPicture& picture);
Encoded EncodeIfl(const screen::DecodedPicture& picture);
Encoded EncodeBorderScreen(const screen::DecodedPicture& picture);  // .bsc, 11136

}  // namespace modes
