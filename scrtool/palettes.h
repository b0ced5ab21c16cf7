#pragma once
// The colour levels a PNG may be drawn with: the window's own, and those that
// emulators and other Spectrum software use for colours without BRIGHT.

#include <span>
#include <string_view>

#include "render/view_rule.h"

namespace scrtool {

// BRIGHT colours are at 255 in every palette; they differ in the level of a
// lit channel without BRIGHT.
struct NamedPalette {
    std::string_view name;
    render::Palette levels;
    std::string_view source;  // where the levels are found
};

std::span<const NamedPalette> Palettes();
const NamedPalette& WindowPalette();
const NamedPalette* PaletteNamed(std::string_view name);

}  // namespace scrtool
