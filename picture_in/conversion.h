#pragma once
// From 256 x 192 pixels in linear light to a drawing the screen can show:
// each cell two colours of one brightness, each pixel one of them.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "picture_in/linear_light.h"

namespace picture_in {

enum class Bright { Auto, Never, Always };

enum class Dither { None, FloydSteinberg, Jarvis, Bayer, Refined };

// A colour index (BRIGHT x 8 + number) for every screen pixel, row by row.
using Drawing = std::vector<std::uint8_t>;

// The two colours of a cell, as colour indices of one brightness; equal
// when the cell shows one colour.
struct CellPair {
    int first = 0;
    int second = 0;
    friend bool operator==(CellPair, CellPair) = default;
};

using CellPixels = std::array<LinearRgb, 64>;

// What every converter works from.
struct Target {
    std::span<const LinearRgb> pixels;  // 256 x 192
    const ScreenColours& colours;
    Bright bright;
};

// The pixels of cell (column, row) from a 256 x 192 picture.
CellPixels PixelsOfCell(std::span<const LinearRgb> pixels, int column, int row);

// The pair with the least summed squared error over the cell, each pixel
// taking the nearer colour; every pair of every allowed brightness is tried.
// Ties go to the first in the order BRIGHT 0 before 1, then first colour
// 0..7, then second colour first..7; `cost` receives the error.
CellPair ExactPair(const CellPixels& cell, const ScreenColours& colours, Bright bright, float* cost = nullptr);

// The pair whose mixes lie nearest the cell's pixels: the summed squared
// distance from each pixel to the line segment between the two colours,
// which is what a dither of the two can show. A cell the screen can show
// exactly gets its exact pair.
CellPair MixPair(const CellPixels& cell, const ScreenColours& colours, Bright bright);

// MixPair for every cell, row by row.
std::vector<CellPair> MixPairs(const Target& target);

// The nearer of the pair for one pixel; a tie takes `first`.
inline int Nearer(LinearRgb pixel, CellPair pair, const ScreenColours& colours) {
    return Distance2(pixel, colours.linear[pair.second]) < Distance2(pixel, colours.linear[pair.first]) ? pair.second
                                                                                                        : pair.first;
}

Drawing ConvertExact(const Target& target);
Drawing ConvertDiffused(const Target& target, Dither kernel);
// With the cells' pairs already chosen (MixPairs).
Drawing ConvertDiffused(const Target& target, Dither kernel, const std::vector<CellPair>& pairs);
Drawing ConvertOrdered(const Target& target);
Drawing ConvertRefined(const Target& target);

Drawing Convert(const Target& target, Dither dither);

}  // namespace picture_in
