#pragma once
// Pictures brought to the screen's 256 x 192: the lossless reduction of a
// screen drawn at a whole scale, and fitting any other size in linear light.

#include <optional>
#include <vector>

#include "picture_in/linear_light.h"
#include "picture_in/picture.h"

namespace picture_in {

enum class Fit { Contain, Cover, Stretch };

// The largest whole scale a screen may be drawn at and still be reduced.
constexpr int MaxExactScale = 8;

// A picture of exactly N x (256 x 192), N 1..8, whose N x N blocks are each
// one colour, as 256 x 192 with a pixel per block; nothing otherwise.
std::optional<Picture> ReducedExactly(const Picture& picture);
// The same for a picture of width x height pixels drawn N x N.
std::optional<Picture> ReducedExactlyTo(const Picture& picture, int width, int height);

// 256 x 192 pixels in linear light, row by row. Contain keeps the whole
// picture with borders in the background colour; cover fills the screen and
// crops the middle; stretch fills it and changes the shape. Each new pixel
// is the mean of the area of the picture it covers (a box filter over the
// exact fractions of the pixels it overlaps: the drawing rule's resampler).
std::vector<LinearRgb> Fitted(const Picture& picture, Fit fit, Rgb background);
// The same onto width x height pixels.
std::vector<LinearRgb> FittedTo(const Picture& picture, Fit fit, Rgb background, int width, int height);

}  // namespace picture_in
