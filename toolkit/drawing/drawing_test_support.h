#pragma once
// Shared by the drawing tests: a window with a small canvas and a full-size
// view, and pixel reads with the back buffer's own addressing.

#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "toolkit/drawing/drawing.h"

namespace toolkit::testing_support {

constexpr int SmallCanvas = 0;  // 20 x 10
constexpr int ViewCanvas = 1;   // 512 x 384
constexpr int SmallWidth = 20;
constexpr int SmallHeight = 10;

// A canvas's pixels as colour values (red in the low byte), read from its
// bytes: bottom-up rows of (width x 3 + 3) / 4 x 4 bytes, blue first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<ColourValue> pixels;  // top row first
    ColourValue at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
Picture ReadPicture(int canvas);
ColourValue PixelOf(int canvas, int x, int y);

// Every pixel of the canvas is `colour` where `painted` says so and white elsewhere.
void ExpectPicture(int canvas, const std::function<bool(int x, int y)>& painted, ColourValue colour);

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace toolkit::testing_support
