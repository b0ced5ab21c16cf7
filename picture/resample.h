#pragma once
// The one resampler of pictures: a box filter in linear light, each new pixel
// the mean of the area of the old picture it covers, counting the exact
// fractions of the pixels it overlaps. Import fits pictures to a screen by
// it and scrtool makes thumbnails by it.

#include <vector>

#include "picture/drawing.h"
#include "picture/linear_light.h"

namespace picture {

// A rectangle of a picture in its pixel units; fractions allowed.
struct Area {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// `area` of the width x height picture `pixels` as outWidth x outHeight
// pixels in linear light, row by row.
std::vector<LinearRgb> Resampled(const Rgb* pixels, int width, int height, Area area, int outWidth, int outHeight);

// The picture resized so that its larger side is `size` pixels, keeping its
// shape (the other side rounded, at least 1).
RgbPicture FitInto(const RgbPicture& picture, int size);

}  // namespace picture
