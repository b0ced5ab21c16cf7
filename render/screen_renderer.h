#pragma once
// Draws the working screen into the two views at twice its size: the mono view
// (bitmap alone, grey on black) and the colour view (attributes applied).

#include <array>
#include <cstdint>

#include "render/views.h"
#include "screen/screen_store.h"

namespace render {

// What one view's back buffer was last drawn from. A cell's pixels follow
// from its eight bitmap bytes, the attribute it was drawn with and the grid
// alone, so a cell whose inputs are unchanged already shows the right pixels,
// as long as nothing else has written the buffer since: the drawing pass's
// mark says so, and when it does not, every cell is drawn afresh.
struct DrawnView {
    std::uint64_t mark = 0;
    bool grid = false;
    std::array<std::uint8_t, screen::BitmapSize> bitmap{};
    std::array<std::uint8_t, screen::AttributeCount> attributes{};  // the attribute used, highlight applied
};

// The renderer of the program's two views, keeping what each was last drawn
// from. The program keeps one for as long as the views exist.
class ViewsRenderer {
public:
    // Brings both views to the working screen: afterwards every pixel of each
    // is what the view rule gives, the cell whose attribute index equals
    // row x 32 + column drawn with its attribute complemented ((-1, -1)
    // highlights nothing). Only the cells whose bitmap bytes, attribute,
    // highlight or grid changed since the last call are drawn, and only they
    // are repainted.
    void Draw(const screen::ScreenStore& store, int column, int row);

private:
    std::array<DrawnView, 2> drawn_{};  // mono, colour
};

}  // namespace render
