#include "picture_in/fitting.h"

#include <algorithm>
#include <cmath>

#include "picture/resample.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::ScreenHeight;
using screen::ScreenWidth;

bool BlocksUniform(const Picture& picture, int scale) {
    for (int y = 0; y < picture.height; ++y) {
        const Rgb* row = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        const Rgb* top = picture.pixels.data() + static_cast<std::size_t>(y - y % scale) * picture.width;
        for (int x = 0; x < picture.width; ++x)
            if (!(row[x] == top[x - x % scale]))
                return false;
    }
    return true;
}

}  // namespace

std::optional<Picture> ReducedExactly(const Picture& picture) {
    const int scale = picture.width / ScreenWidth;
    if (scale < 1 || scale > MaxExactScale || picture.width != scale * ScreenWidth ||
        picture.height != scale * ScreenHeight || !BlocksUniform(picture, scale))
        return std::nullopt;
    if (scale == 1)
        return picture;
    Picture reduced;
    reduced.width = ScreenWidth;
    reduced.height = ScreenHeight;
    reduced.pixels.reserve(static_cast<std::size_t>(ScreenWidth) * ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
            reduced.pixels.push_back(picture.at(x * scale, y * scale));
    return reduced;
}

std::vector<LinearRgb> Fitted(const Picture& picture, Fit fit, Rgb background) {
    const double w = picture.width, h = picture.height;
    // The part of the screen covered (x0, y0, width, height) and the part of
    // the picture shown there (sx, sy, sw, sh).
    int x0 = 0, y0 = 0, width = ScreenWidth, height = ScreenHeight;
    double sx = 0, sy = 0, sw = w, sh = h;
    if (fit == Fit::Contain) {
        const double scale = std::min(ScreenWidth / w, ScreenHeight / h);
        width = std::clamp(static_cast<int>(std::lround(w * scale)), 1, ScreenWidth);
        height = std::clamp(static_cast<int>(std::lround(h * scale)), 1, ScreenHeight);
        x0 = (ScreenWidth - width) / 2;
        y0 = (ScreenHeight - height) / 2;
    } else if (fit == Fit::Cover) {
        const double scale = std::max(ScreenWidth / w, ScreenHeight / h);
        sw = ScreenWidth / scale;
        sh = ScreenHeight / scale;
        sx = (w - sw) / 2;
        sy = (h - sh) / 2;
    }
    const std::vector<LinearRgb> resampled = picture::Resampled(picture.pixels.data(), picture.width, picture.height,
                                                                picture::Area{sx, sy, sw, sh}, width, height);
    std::vector<LinearRgb> screen(static_cast<std::size_t>(ScreenWidth) * ScreenHeight, Linear(background));
    for (int j = 0; j < height; ++j)
        std::copy_n(resampled.data() + static_cast<std::size_t>(j) * width, width,
                    screen.data() + static_cast<std::size_t>(y0 + j) * ScreenWidth + x0);
    return screen;
}

}  // namespace picture_in
