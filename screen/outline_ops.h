#pragma once
// Bitmap-only operations on a screen, in place, working through a scratch
// plane; attributes stay as they are. Neither takes an undo copy.

#include "screen/screen_layout.h"

namespace screen {

// Grows every ink pixel into a 3 x 3 block; nothing wraps. The scratch
// plane's bitmap area ends holding the mask too.
void CreateMask(ScreenSpan screen, ScreenSpan scratch);

// Replaces the picture by the paper pixels that touch ink to the left, right,
// above or below (left and right wrap within the line); lines 0 and 191 end
// clear. The scratch plane's bitmap area ends holding the contour too.
void FindContour(ScreenSpan screen, ScreenSpan scratch);

}  // namespace screen
