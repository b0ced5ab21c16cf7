#pragma once
// The classic screen (bitmap and 8 x 8 attributes) and the bitmap-only
// screen (the same bitmap, no attributes): decoders and encoders.

#include <cstdint>
#include <span>
#include <vector>

#include "base/result.h"
#include "screen/decoded_picture.h"

namespace modes {

// INK and PAPER of each 8 x 8 cell from the attributes after the bitmap; a
// byte past them (a 6913-byte file) is ignored.
base::Result<screen::DecodedPicture> DecodeClassic(std::span<const std::uint8_t> bytes, screen::FlashPhase phase);

// The screen that shows `picture` exactly: in each cell PAPER is the colour
// number most of its pixels have (the lower one on a tie) and INK the other,
// or 7 - PAPER in a cell of one colour; BRIGHT when a colour other than
// black is bright, or a cell of black alone is. Refused when a cell holds more than two colours, colours
// of both brightnesses or a colour the 15 do not have.
base::Result<std::vector<std::uint8_t>> EncodeClassic(const screen::DecodedPicture& picture);

// Set bits bright white, clear bits black.
base::Result<screen::DecodedPicture> DecodeBitmapOnly(std::span<const std::uint8_t> bytes, screen::FlashPhase phase);

// The bitmap of a picture of bright white and black alone.
base::Result<std::vector<std::uint8_t>> EncodeBitmapOnly(const screen::DecodedPicture& picture);

}  // namespace modes
