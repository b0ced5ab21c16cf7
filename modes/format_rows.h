#pragma once
// The rows of every picture format beyond the classic and bitmap-only
// screens; PictureModes() lists them after its own.

#include <span>

#include "modes/picture_modes.h"

namespace modes {

std::span<const PictureMode> FormatRows();

}  // namespace modes
