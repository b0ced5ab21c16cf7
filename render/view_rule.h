#pragma once
// What colour each pixel of a view gets, free of any window: the canvas
// renderer and the image export both draw by this rule, so a picture saved
// from the command line is the picture the window shows.

#include <cstdint>

#include "screen/screen_layout.h"

namespace render {

enum class View { Mono, Colour };

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

// The intensity of a lit colour channel without and with BRIGHT.
struct Palette {
    std::uint8_t normalLevel;
    std::uint8_t brightLevel;
};

// The window's views: half intensity without BRIGHT.
constexpr Palette WindowPalette{127, 255};

// The mono view shows the bitmap alone: INK 7 on PAPER 0, not bright.
constexpr std::uint8_t MonoAttribute = 7;

constexpr Rgb GridColour{0, 0, 255};

// Colour number 0..7 (bit 0 blue, bit 1 red, bit 2 green).
constexpr Rgb PaletteColour(int number, bool bright, Palette palette = WindowPalette) {
    const std::uint8_t level = bright ? palette.brightLevel : palette.normalLevel;
    return Rgb{static_cast<std::uint8_t>(number & 2 ? level : 0), static_cast<std::uint8_t>(number & 4 ? level : 0),
               static_cast<std::uint8_t>(number & 1 ? level : 0)};
}

// The attribute a cell is drawn with: the mono view ignores the attribute
// area, and the highlighted cell shows its attribute complemented.
constexpr std::uint8_t AttributeUsed(View view, std::uint8_t cellAttribute, bool highlighted) {
    const std::uint8_t attribute = view == View::Mono ? MonoAttribute : cellAttribute;
    return highlighted ? static_cast<std::uint8_t>(255 - attribute) : attribute;
}

constexpr Rgb InkColour(std::uint8_t attribute, Palette palette = WindowPalette) {
    return PaletteColour(screen::inkOf(attribute), screen::isBright(attribute), palette);
}
constexpr Rgb PaperColour(std::uint8_t attribute, Palette palette = WindowPalette) {
    return PaletteColour(screen::paperOf(attribute), screen::isBright(attribute), palette);
}

// At cellSpan pixels a cell side, the grid runs along the left and top edge
// of every cell and along neither the right nor the bottom edge of the view.
constexpr bool OnGrid(int x, int y, int cellSpan) { return x % cellSpan == 0 || y % cellSpan == 0; }

}  // namespace render
