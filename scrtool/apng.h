#pragma once
// Animated PNG (APNG) on top of the still encoder: libpng as Debian ships it
// writes no animation chunks, so each frame is encoded as a still picture and
// its image data is moved into the animation's frame chunks here.

#include <cstdint>
#include <vector>

#include "base/result.h"
#include "picture/drawing.h"

namespace scrtool {

// How long each frame shows, in seconds as a fraction.
struct FrameDelay {
    std::uint16_t numerator;
    std::uint16_t denominator;
};

// The frames, which share one size, in order, each shown for `delay`,
// looping forever. The first frame is also the still picture, so a viewer
// that knows no APNG shows it. Frames that share a palette keep it; others
// are written as red, green and blue.
base::Result<std::vector<std::uint8_t>> EncodeAnimatedPng(const std::vector<picture::Image>& frames, FrameDelay delay);

}  // namespace scrtool
