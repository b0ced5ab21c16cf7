#include "screen/screen_test_support.h"

namespace screen::testing {

using testsupport::PixelOf;

std::vector<std::pair<int, int>> InkPixels(const std::uint8_t* screen) {
    std::vector<std::pair<int, int>> pixels;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 256; ++x) {
            if (PixelOf(screen, x, y)) {
                pixels.emplace_back(x, y);
            }
        }
    }
    return pixels;
}

PixelColour ColourOf(const std::uint8_t* screen, int x, int y) {
    const std::uint8_t attr = screen[testsupport::AttributeOffset(x / 8, y / 8)];
    const int colour = PixelOf(screen, x, y) ? attr % 8 : attr / 8 % 8;
    return {colour, (attr & 64) != 0, (attr & 128) != 0};
}

std::string FirstColourChange(const std::uint8_t* before, const std::uint8_t* after) {
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 256; ++x) {
            if (!(ColourOf(before, x, y) == ColourOf(after, x, y))) {
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
            }
        }
    }
    return "";
}

int FirstDifference(const std::uint8_t* a, const std::uint8_t* b, int from, int to) {
    for (int i = from; i < to; ++i) {
        if (a[i] != b[i]) {
            return i;
        }
    }
    return -1;
}

}  // namespace screen::testing
