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
    return ReducedExactlyTo(picture, ScreenWidth, ScreenHeight);
}

std::optional<Picture> ReducedExactlyTo(const Picture& picture, int width, int height) {
    const int scale = picture.width / width;
    if (scale < 1 || scale > MaxExactScale || picture.width != scale * width || picture.height != scale * height ||
        !BlocksUniform(picture, scale))
        return std::nullopt;
    if (scale == 1)
        return picture;
    Picture reduced;
    reduced.width = width;
    reduced.height = height;
    reduced.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reduced.pixels.push_back(picture.at(x * scale, y * scale));
    return reduced;
}

std::vector<LinearRgb> Fitted(const Picture& picture, Fit fit, Rgb background) {
    return FittedTo(picture, fit, background, ScreenWidth, ScreenHeight);
}

std::vector<LinearRgb> FittedTo(const Picture& picture, Fit fit, Rgb background, int screenWidth, int screenHeight) {
    const double w = picture.width, h = picture.height;
    // The part of the screen covered (x0, y0, width, height) and the part of
    // the picture shown there (sx, sy, sw, sh).
    int x0 = 0, y0 = 0, width = screenWidth, height = screenHeight;
    double sx = 0, sy = 0, sw = w, sh = h;
    if (fit == Fit::Contain) {
        const double scale = std::min(screenWidth / w, screenHeight / h);
        width = std::clamp(static_cast<int>(std::lround(w * scale)), 1, screenWidth);
        height = std::clamp(static_cast<int>(std::lround(h * scale)), 1, screenHeight);
        x0 = (screenWidth - width) / 2;
        y0 = (screenHeight - height) / 2;
    } else if (fit == Fit::Cover) {
        const double scale = std::max(screenWidth / w, screenHeight / h);
        sw = screenWidth / scale;
        sh = screenHeight / scale;
        sx = (w - sw) / 2;
        sy = (h - sh) / 2;
    }
    const std::vector<LinearRgb> resampled = picture::Resampled(picture.pixels.data(), picture.width, picture.height,
                                                                picture::Area{sx, sy, sw, sh}, width, height);
    std::vector<LinearRgb> screen(static_cast<std::size_t>(screenWidth) * screenHeight, Linear(background));
    for (int j = 0; j < height; ++j)
        std::copy_n(resampled.data() + static_cast<std::size_t>(j) * width, width,
                    screen.data() + static_cast<std::size_t>(y0 + j) * screenWidth + x0);
    return screen;
}

}  // namespace picture_in
