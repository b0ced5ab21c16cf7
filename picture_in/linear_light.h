#pragma once
// Colours in linear light, where mixing dots is what the eye does: fitting,
// colour choice and dithering all work here.

#include <array>
#include <cstdint>
#include <span>

#include "render/view_rule.h"

namespace picture_in {

struct LinearRgb {
    float red = 0;
    float green = 0;
    float blue = 0;
};

// The 256 sRGB levels in linear light, 0..1.
const std::array<float, 256>& LinearLevels();

inline LinearRgb Linear(render::Rgb c) {
    const auto& level = LinearLevels();
    return LinearRgb{level[c.red], level[c.green], level[c.blue]};
}

// The sRGB level nearest a linear value (clamped to 0..1).
std::uint8_t SrgbLevel(float linear);

inline float Distance2(LinearRgb a, LinearRgb b) {
    const float r = a.red - b.red, g = a.green - b.green, bl = a.blue - b.blue;
    return r * r + g * g + bl * bl;
}

// A screen colour as an index 0..15: BRIGHT x 8 + colour number.
constexpr int ColourIndex(int number, int bright) { return bright * 8 + number; }
constexpr int NumberOf(int index) { return index & 7; }
constexpr int BrightOf(int index) { return index >> 3; }

// The sixteen screen colours of a palette (black twice) in sRGB and linear light.
struct ScreenColours {
    std::array<render::Rgb, 16> srgb;
    std::array<LinearRgb, 16> linear;
};
ScreenColours ColoursOf(render::Palette palette);

}  // namespace picture_in
