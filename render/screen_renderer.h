#pragma once
// Draws the working screen into the two views at twice its size: the mono view
// (bitmap alone, grey on black) and the colour view (attributes applied).

#include "render/views.h"
#include "screen/screen_store.h"

namespace render {

// Brings both views to the working screen: afterwards every pixel of each is
// what the view rule gives, the cell whose attribute index equals
// row x 32 + column drawn with its attribute complemented ((-1, -1)
// highlights nothing). Only the cells whose bitmap bytes, attribute, highlight
// or grid changed since the last call are drawn, and only they are repainted.
void ScreenRenderer(const screen::ScreenStore& store, int column, int row);

} // namespace render
