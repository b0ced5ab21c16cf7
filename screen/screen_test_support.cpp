#include "screen/screen_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "screen/screen_layout.h"

namespace screen::testing {

namespace {

std::vector<TestScreen> LoadRealScreens() {
    std::vector<TestScreen> screens;
    for (const auto& entry : std::filesystem::directory_iterator(SCRLAB_TESTDATA_DIR)) {
        if (entry.path().extension() != ".scr") {
            continue;
        }
        TestScreen screen{entry.path().stem().string(), {}};
        std::ifstream in(entry.path(), std::ios::binary);
        in.read(reinterpret_cast<char*>(screen.bytes.data()), screen.bytes.size());
        if (in.gcount() != static_cast<std::streamsize>(screen.bytes.size())) {
            throw std::runtime_error("short test screen " + entry.path().string());
        }
        screens.push_back(std::move(screen));
    }
    std::sort(screens.begin(), screens.end(),
              [](const TestScreen& a, const TestScreen& b) { return a.name < b.name; });
    return screens;
}

} // namespace

const std::vector<TestScreen>& RealScreens() {
    static const std::vector<TestScreen> screens = LoadRealScreens();
    return screens;
}

std::vector<std::string> RealScreenNames() {
    std::vector<std::string> names;
    for (const TestScreen& screen : RealScreens()) {
        names.push_back(screen.name);
    }
    return names;
}

const ScreenBytes& RealScreen(const std::string& name) {
    for (const TestScreen& screen : RealScreens()) {
        if (screen.name == name) {
            return screen.bytes;
        }
    }
    throw std::out_of_range("no test screen " + name);
}

int PixelOffset(int x, int y) {
    return ((y & 0xC0) << 5) | ((y & 0x07) << 8) | ((y & 0x38) << 2) | (x >> 3);
}

bool PixelOf(const std::uint8_t* screen, int x, int y) {
    return (screen[PixelOffset(x, y)] >> (7 - x % 8) & 1) != 0;
}

void SetPixelOf(std::uint8_t* screen, int x, int y) {
    screen[PixelOffset(x, y)] |= static_cast<std::uint8_t>(1 << (7 - x % 8));
}

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
    const std::uint8_t attr = screen[6144 + (y / 8) * 32 + x / 8];
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

} // namespace screen::testing
