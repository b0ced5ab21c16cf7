#pragma once
// A drawing the screen can show, as the 6912 bytes of a screen, and the test
// of a picture against the screen's rule.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "picture_in/conversion.h"
#include "picture_in/picture.h"
#include "screen/screen_layout.h"

namespace picture_in {

using ScreenBytes = std::array<std::uint8_t, screen::ScreenSize>;

// Each cell's attribute: PAPER is the colour of more of its pixels, INK the
// other; with equal counts the lower colour number is PAPER. A cell of one
// colour has it as PAPER, no pixel set and INK 7 - PAPER (white on black,
// black on white). BRIGHT is set by `bright` Always, never by Never, and by
// Auto when a colour other than black in the cell is bright (black looks
// the same either way, so an all-black cell is not bright). FLASH is never
// set. Every cell of the drawing must hold at most two colours of one
// brightness (black counting as either).
ScreenBytes ScreenOf(const Drawing& drawing, Bright bright);

// A cell whose pixels no attribute can show, and the colours found there in
// the order first met, reading row by row.
struct Clash {
    int column = 0;
    int row = 0;
    std::vector<Rgb> colours;
};

// The cells of a 256 x 192 picture that break the rule: a colour not in the
// palette, more than two colours, or colours of both brightnesses.
std::vector<Clash> ClashingCells(const Picture& picture, const ScreenColours& colours);

// The drawing of a 256 x 192 picture every cell of which the screen shows
// exactly under the BRIGHT rule; nothing when one cell cannot be shown.
// Every conversion gives this drawing for such a picture; this finds it at
// the cost of reading the pixels once.
std::optional<Drawing> ExactDrawing(const Picture& picture, const ScreenColours& colours, Bright bright);

// "(3,4) #FF0000 #00FF00 #0000FF, (5,0) ..."
std::string ClashList(const std::vector<Clash>& clashes);

}  // namespace picture_in
