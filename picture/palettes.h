#pragma once
// The named colour levels a picture may be drawn with: the window's own, and
// those that emulators and other Spectrum software use for colours without
// BRIGHT. ULAplus colours do not depend on them.

#include <span>
#include <string_view>

#include "picture/colours.h"

namespace picture {

// BRIGHT colours are at 255 in every palette; they differ in the level of a
// lit channel without BRIGHT.
struct NamedPalette {
    std::string_view name;
    Levels levels;
    std::string_view source;  // where the levels are found
};

std::span<const NamedPalette> Palettes();
const NamedPalette& WindowPalette();

}  // namespace picture
