#include "picture_in/fitting.h"

#include <algorithm>
#include <cmath>

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

// Source pixels and their weights for each of `count` new pixels spread over
// the source interval [start, start + span).
struct Taps {
    std::vector<int> first;     // per new pixel: index of its first tap
    std::vector<int> source;    // per tap
    std::vector<float> weight;  // per tap, summing to 1 per new pixel
};

Taps AreaTaps(double start, double span, int count, int sourceSize) {
    Taps taps;
    const double step = span / count;
    for (int i = 0; i < count; ++i) {
        taps.first.push_back(static_cast<int>(taps.source.size()));
        const double from = start + i * step;
        const double to = from + step;
        double total = 0;
        const std::size_t begin = taps.source.size();
        for (int s = std::max(0, static_cast<int>(std::floor(from))); s < sourceSize && s < to; ++s) {
            const double overlap = std::min<double>(to, s + 1) - std::max<double>(from, s);
            if (overlap <= 0)
                continue;
            taps.source.push_back(s);
            taps.weight.push_back(static_cast<float>(overlap));
            total += overlap;
        }
        if (taps.source.size() == begin) {  // rounding left nothing: take the nearest pixel
            taps.source.push_back(std::clamp(static_cast<int>(from), 0, sourceSize - 1));
            taps.weight.push_back(1.0f);
            total = 1;
        }
        for (std::size_t t = begin; t < taps.weight.size(); ++t)
            taps.weight[t] = static_cast<float>(taps.weight[t] / total);
    }
    taps.first.push_back(static_cast<int>(taps.source.size()));
    return taps;
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
    const Taps across = AreaTaps(sx, sw, width, picture.width);
    const Taps down = AreaTaps(sy, sh, height, picture.height);

    // Across each source row first (only the rows that are used), then down.
    const int rowFrom = down.source.empty() ? 0 : *std::min_element(down.source.begin(), down.source.end());
    const int rowTo = down.source.empty() ? 0 : *std::max_element(down.source.begin(), down.source.end()) + 1;
    std::vector<LinearRgb> rows(static_cast<std::size_t>(rowTo - rowFrom) * width);
    const auto& level = LinearLevels();
    for (int y = rowFrom; y < rowTo; ++y) {
        const Rgb* in = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        LinearRgb* out = rows.data() + static_cast<std::size_t>(y - rowFrom) * width;
        for (int i = 0; i < width; ++i) {
            LinearRgb sum;
            for (int t = across.first[i]; t < across.first[i + 1]; ++t) {
                const Rgb c = in[across.source[t]];
                const float weight = across.weight[t];
                sum.red += weight * level[c.red];
                sum.green += weight * level[c.green];
                sum.blue += weight * level[c.blue];
            }
            out[i] = sum;
        }
    }
    std::vector<LinearRgb> screen(static_cast<std::size_t>(screenWidth) * screenHeight, Linear(background));
    for (int j = 0; j < height; ++j) {
        LinearRgb* out = screen.data() + static_cast<std::size_t>(y0 + j) * screenWidth + x0;
        for (int t = down.first[j]; t < down.first[j + 1]; ++t) {
            const LinearRgb* in = rows.data() + static_cast<std::size_t>(down.source[t] - rowFrom) * width;
            const float weight = down.weight[t];
            if (t == down.first[j])
                for (int i = 0; i < width; ++i)
                    out[i] = LinearRgb{};
            for (int i = 0; i < width; ++i) {
                out[i].red += weight * in[i].red;
                out[i].green += weight * in[i].green;
                out[i].blue += weight * in[i].blue;
            }
        }
    }
    return screen;
}

}  // namespace picture_in
