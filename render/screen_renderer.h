#pragma once
// Draws the working screen into the two views at twice its size: the mono view
// (bitmap alone, grey on black) and the colour view (attributes applied).

#include "render/views.h"
#include "screen/screen_store.h"

namespace render {

// Redraws every pixel of both views; the cell whose attribute index equals
// row x 32 + column is drawn with its attribute complemented. (-1, -1)
// highlights nothing.
void ScreenRenderer(const screen::ScreenStore& store, int column, int row);

} // namespace render
