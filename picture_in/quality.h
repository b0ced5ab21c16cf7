#pragma once
// The measure of a conversion and the converter to beat, for the benchmarks
// and tests: PSNR in linear light, with and without a blur like the eye's at
// viewing distance; S-CIELAB; and the common converter as the yardstick.

#include <span>
#include <vector>

#include "picture_in/conversion.h"
#include "picture_in/picture.h"

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

// S-CIELAB (Zhang and Wandell, "A spatial extension of CIELAB for digital
// color image reproduction", 1996/1997): the mean CIELAB difference (Delta E
// 1976) of two sRGB pictures of one size once each is seen as the eye sees
// it, `pixelsPerDegree` pixels to a degree of visual angle: in the opponent
// channels (luminance, red-green, blue-yellow) each blurred by that
// channel's sum of Gaussians. 0 for equal pictures; dots a viewer cannot
// tell apart from their mix cost little.
double SCielab(const Picture& a, const Picture& b, double pixelsPerDegree);

}  // namespace picture_in
