#pragma once
// What each pixel of a view shows, free of any window: the attribute a cell
// is drawn with in each view, its colours by the one drawing rule
// (picture/), so a picture saved from the command line is the picture the
// window shows.

#include <cstdint>

#include "picture/drawing.h"
#include "screen/screen_layout.h"

namespace render {

enum class View { Mono, Colour };

using picture::Rgb;
// The intensity of a lit colour channel without and with BRIGHT.
using Palette = picture::Levels;

// The window's views: half intensity without BRIGHT.
constexpr Palette WindowPalette = picture::WindowLevels;

// The mono view shows the bitmap alone: INK 7 on PAPER 0, not bright.
constexpr std::uint8_t MonoAttribute = 7;

using picture::GridColour;
using picture::OnGrid;

// The attribute a cell is drawn with: the mono view ignores the attribute
// area, and the highlighted cell shows its attribute complemented.
constexpr std::uint8_t AttributeUsed(View view, std::uint8_t cellAttribute, bool highlighted) {
    const std::uint8_t attribute = view == View::Mono ? MonoAttribute : cellAttribute;
    return highlighted ? static_cast<std::uint8_t>(255 - attribute) : attribute;
}

// A cell's INK and PAPER by the one colour rule every picture is drawn with.
constexpr Rgb InkColour(std::uint8_t attribute, Palette palette = WindowPalette) {
    return picture::ColourOf(screen::SpectrumColour(screen::inkOf(attribute), screen::isBright(attribute)), palette);
}
constexpr Rgb PaperColour(std::uint8_t attribute, Palette palette = WindowPalette) {
    return picture::ColourOf(screen::SpectrumColour(screen::paperOf(attribute), screen::isBright(attribute)), palette);
}

}  // namespace render
