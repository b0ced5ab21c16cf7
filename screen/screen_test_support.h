#pragma once
// Helpers shared by the screen tests, on top of the common test support: the
// real screens, and pixel addresses worked out apart from the library.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace screen::testing {

// Coordinates (x, y) of every ink pixel, in line order.
std::vector<std::pair<int, int>> InkPixels(const std::uint8_t* screen);

// What the colour view shows for a pixel: the colour number chosen by the
// pixel's bit from its cell's attribute, and the cell's BRIGHT and FLASH.
struct PixelColour {
    int colour;
    bool bright;
    bool flash;
    bool operator==(const PixelColour&) const = default;
};
PixelColour ColourOf(const std::uint8_t* screen, int x, int y);
// The first pixel whose colour differs between two screens, or "" if none.
std::string FirstColourChange(const std::uint8_t* before, const std::uint8_t* after);

// Index of the first differing byte in [from, to), or -1.
int FirstDifference(const std::uint8_t* a, const std::uint8_t* b, int from, int to);

}  // namespace screen::testing
