#pragma once
// A file of one mode written in another, exactly: byte for byte between the
// bitmap-and-attribute modes where the cells fit (.mc to .mlt, a screen to
// .img and back), else through the picture (decoded in the first FLASH phase
// and written by the target's writer). Refused where the target has no
// writer or the picture does not fit it.

#include <cstdint>
#include <vector>

#include "base/result.h"
#include "modes/picture_modes.h"

namespace modes {

base::Result<std::vector<std::uint8_t>> ConvertExactly(const PictureMode& from, Bytes bytes, const PictureMode& to);

}  // namespace modes
