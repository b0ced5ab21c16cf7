#pragma once
// Colours in linear light, where mixing dots is what the eye does: fitting,
// colour choice and dithering all work here, on the drawing rule's levels.

#include <array>
#include <cstdint>

#include "picture/linear_light.h"
#include "render/view_rule.h"

namespace picture_in {

using picture::Linear;
using picture::LinearLevels;
using picture::LinearRgb;
using picture::SrgbLevel;

inline float Distance2(LinearRgb a, LinearRgb b) {
    const float r = a.red - b.red, g = a.green - b.green, bl = a.blue - b.blue;
    return r * r + g * g + bl * bl;
}

// A screen colour as an index 0..15: BRIGHT x 8 + colour number, the
// drawing rule's colour code of the 15 colours.
constexpr int ColourIndex(int number, int bright) { return screen::SpectrumColour(number, bright != 0); }
constexpr int NumberOf(int index) { return index & 7; }
constexpr int BrightOf(int index) { return index >> 3; }

// The sixteen screen colours of a palette (black twice) in sRGB and linear light.
struct ScreenColours {
    std::array<render::Rgb, 16> srgb;
    std::array<LinearRgb, 16> linear;
};
ScreenColours ColoursOf(render::Palette palette);

}  // namespace picture_in
