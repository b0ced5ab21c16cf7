#pragma once
// The measure of a conversion and the converter to beat, for the benchmarks
// and tests: PSNR in linear light, with and without a blur like the eye's at
// viewing distance, and the common converter as the yardstick.

#include <span>
#include <vector>

#include "picture_in/conversion.h"

namespace picture_in {

// A Gaussian blur of 256 x 192 pixels, sigma in pixels, edges repeated.
std::vector<LinearRgb> Blurred(std::span<const LinearRgb> pixels, double sigma);

// Peak signal to noise ratio in dB over the three channels, the peak being 1.
double Psnr(std::span<const LinearRgb> a, std::span<const LinearRgb> b);

std::vector<LinearRgb> DrawnLinear(const Drawing& drawing, const ScreenColours& colours);

// What the common converters do: each pixel the nearest of the 15 colours;
// a cell BRIGHT when most of its non-black pixels came out bright; the two
// colour numbers most frequent in the cell; each pixel the nearer of them.
Drawing Yardstick(const Target& target);

struct Quality {
    double blurred;
    double plain;
};
Quality QualityOf(std::span<const LinearRgb> target, const Drawing& drawing, const ScreenColours& colours);

}  // namespace picture_in
