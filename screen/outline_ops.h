#pragma once
// Bitmap-only operations that use the scratch plane; attributes stay as they are.

#include "screen/screen_store.h"

namespace screen {

// Grows every ink pixel into a 3 x 3 block; nothing wraps.
void CreateMask(ScreenStore& store);

// Replaces the picture by the paper pixels that touch ink to the left, right,
// above or below (left and right wrap within the line); lines 0 and 191 end clear.
void FindContour(ScreenStore& store);

}  // namespace screen
