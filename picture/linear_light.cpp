#include "picture/linear_light.h"

#include <algorithm>
#include <cmath>

namespace picture {
namespace {

// The sRGB transfer function, exactly as the standard gives it.
float ToLinear(float encoded) {
    return encoded <= 0.04045f ? encoded / 12.92f : std::pow((encoded + 0.055f) / 1.055f, 2.4f);
}

}  // namespace

const std::array<float, 256>& LinearLevels() {
    static const std::array<float, 256> levels = [] {
        std::array<float, 256> table{};
        for (int i = 0; i < 256; ++i)
            table[i] = ToLinear(static_cast<float>(i) / 255.0f);
        return table;
    }();
    return levels;
}

std::uint8_t SrgbLevel(float linear) {
    // The nearest level in linear light, by bisection over the table: the
    // exact inverse of LinearLevels for every one of its values.
    const auto& levels = LinearLevels();
    const auto above = std::lower_bound(levels.begin(), levels.end(), linear);
    if (above == levels.begin())
        return 0;
    if (above == levels.end())
        return 255;
    const auto below = above - 1;
    return static_cast<std::uint8_t>((linear - *below <= *above - linear ? below : above) - levels.begin());
}

}  // namespace picture
