#pragma once
// The light each colour code gives: the Spectrum's colours at a palette's
// levels, ULAplus's by the fixed rule of its palette bytes. Every drawing of
// a picture takes its colours from here, the window's views included.

#include <cstdint>

#include "screen/decoded_picture.h"

namespace picture {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

// The intensity of a lit colour channel without and with BRIGHT.
struct Levels {
    std::uint8_t normalLevel;
    std::uint8_t brightLevel;
};

// The window's views: half intensity without BRIGHT.
constexpr Levels WindowLevels{127, 255};

// Colour number 0..7 (bit 0 blue, bit 1 red, bit 2 green) at the levels.
constexpr Rgb SpectrumRgb(int number, bool bright, Levels levels = WindowLevels) {
    const std::uint8_t level = bright ? levels.brightLevel : levels.normalLevel;
    return Rgb{static_cast<std::uint8_t>(number & 2 ? level : 0), static_cast<std::uint8_t>(number & 4 ? level : 0),
               static_cast<std::uint8_t>(number & 1 ? level : 0)};
}

// A 3-bit level as 8 bits, its bits repeated: 0, 36, 73, ... 255.
constexpr std::uint8_t WidenLevel(int v) { return static_cast<std::uint8_t>(v * 32 + v * 4 + v / 2); }

// A ULAplus palette byte GGGRRRBB. Blue has two bits; its missing third bit
// is the OR of the two, as the ULAplus rule gives it (0, 109, 182, 255).
constexpr Rgb UlaPlusRgb(std::uint8_t grb) {
    const int blue = grb & 3;
    return Rgb{WidenLevel((grb >> 2) & 7), WidenLevel(grb >> 5), WidenLevel(blue << 1 | ((blue | blue >> 1) & 1))};
}

// Any colour code; the levels apply to the Spectrum's colours alone.
constexpr Rgb ColourOf(screen::ColourCode code, Levels levels = WindowLevels) {
    return screen::IsUlaPlus(code) ? UlaPlusRgb(screen::UlaPlusByteOf(code))
                                   : SpectrumRgb(screen::NumberOf(code), screen::IsBright(code), levels);
}

static_assert(UlaPlusRgb(0x01) == Rgb{0, 0, 109} && UlaPlusRgb(0x02) == Rgb{0, 0, 182} &&
              UlaPlusRgb(0x03) == Rgb{0, 0, 255});
static_assert(UlaPlusRgb(0xE0) == Rgb{0, 255, 0} && UlaPlusRgb(0x1C) == Rgb{255, 0, 0} &&
              UlaPlusRgb(0x24) == Rgb{36, 36, 0});

}  // namespace picture
