#pragma once
// What a view of a screen shows, pixel by pixel, worked out from the screen
// bytes alone: the one oracle of the view rule that the renderer's, the
// window's, the soak's and scrtool's tests all check against.

#include <cstdint>

namespace testsupport {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct ViewLook {
    bool mono = false;         // every cell drawn with attribute 7, as the mono view draws the bitmap
    int scale = 2;             // view pixels per screen pixel, each way
    bool grid = false;         // blue on the first row and column of every cell
    int highlightColumn = -1;  // the cell drawn with its attribute complemented; -1: none
    int highlightRow = -1;
    std::uint8_t level = 127;  // a lit channel without BRIGHT; with BRIGHT it is 255
};

// Pixel (x, y) of the view: the screen pixel under it shows its cell's ink
// where its bit is set and its paper where not, colour number bit 0 blue,
// bit 1 red, bit 2 green.
Rgb ViewPixel(const std::uint8_t* screen, const ViewLook& look, int x, int y);

}  // namespace testsupport
