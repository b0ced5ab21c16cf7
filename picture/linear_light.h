#pragma once
// Colours in linear light, where light adds as the eye adds it: averaging
// frames, resampling, fitting, colour choice and dithering all work here.

#include <array>
#include <cstdint>

#include "picture/colours.h"

namespace picture {

struct LinearRgb {
    float red = 0;
    float green = 0;
    float blue = 0;
};

// The 256 sRGB levels in linear light, 0..1.
const std::array<float, 256>& LinearLevels();

inline LinearRgb Linear(Rgb c) {
    const auto& level = LinearLevels();
    return LinearRgb{level[c.red], level[c.green], level[c.blue]};
}

// The sRGB level nearest a linear value (clamped to 0..1).
std::uint8_t SrgbLevel(float linear);

inline Rgb Srgb(LinearRgb c) { return Rgb{SrgbLevel(c.red), SrgbLevel(c.green), SrgbLevel(c.blue)}; }

}  // namespace picture
