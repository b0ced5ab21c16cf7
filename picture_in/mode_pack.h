#pragma once
// Packing a ULAplus palette from the pairs of colours a picture's cells use.
// Internal to picture_in.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace picture_in {

// For each pair of two different colours (palette bytes), its place: 2 x
// group + 1 when the second colour is the INK. Nothing when the search finds
// no packing into four groups of 8 INKs and 8 PAPERs.
std::optional<std::vector<int>> PlacePairs(const std::vector<std::array<std::uint8_t, 2>>& pairs);

}  // namespace picture_in
