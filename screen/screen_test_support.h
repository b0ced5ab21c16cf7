#pragma once
// Helpers shared by the screen tests. They address pixels and cells with their
// own arithmetic, so a slip in the library's offsets cannot hide in both.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace screen::testing {

using ScreenBytes = std::array<std::uint8_t, 6912>;

struct TestScreen {
    std::string name;
    ScreenBytes bytes;
};

// Every .scr file of the test data folder, sorted by name.
const std::vector<TestScreen>& RealScreens();
std::vector<std::string> RealScreenNames();
const ScreenBytes& RealScreen(const std::string& name);

// Offset of the byte of pixel (x, y), assembled from the bit fields of y.
int PixelOffset(int x, int y);
bool PixelOf(const std::uint8_t* screen, int x, int y);
void SetPixelOf(std::uint8_t* screen, int x, int y);
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

} // namespace screen::testing
