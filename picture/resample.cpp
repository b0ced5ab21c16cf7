#include "picture/resample.h"

#include <algorithm>
#include <cmath>

namespace picture {
namespace {

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

std::vector<LinearRgb> Resampled(const Rgb* pixels, int width, int height, Area area, int outWidth, int outHeight) {
    const Taps across = AreaTaps(area.x, area.width, outWidth, width);
    const Taps down = AreaTaps(area.y, area.height, outHeight, height);

    // Across each source row first (only the rows that are used), then down.
    const int rowFrom = down.source.empty() ? 0 : *std::min_element(down.source.begin(), down.source.end());
    const int rowTo = down.source.empty() ? 0 : *std::max_element(down.source.begin(), down.source.end()) + 1;
    std::vector<LinearRgb> rows(static_cast<std::size_t>(rowTo - rowFrom) * outWidth);
    const auto& level = LinearLevels();
    for (int y = rowFrom; y < rowTo; ++y) {
        const Rgb* in = pixels + static_cast<std::size_t>(y) * width;
        LinearRgb* out = rows.data() + static_cast<std::size_t>(y - rowFrom) * outWidth;
        for (int i = 0; i < outWidth; ++i) {
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
    std::vector<LinearRgb> resampled(static_cast<std::size_t>(outWidth) * outHeight);
    for (int j = 0; j < outHeight; ++j) {
        LinearRgb* out = resampled.data() + static_cast<std::size_t>(j) * outWidth;
        for (int t = down.first[j]; t < down.first[j + 1]; ++t) {
            const LinearRgb* in = rows.data() + static_cast<std::size_t>(down.source[t] - rowFrom) * outWidth;
            const float weight = down.weight[t];
            for (int i = 0; i < outWidth; ++i) {
                out[i].red += weight * in[i].red;
                out[i].green += weight * in[i].green;
                out[i].blue += weight * in[i].blue;
            }
        }
    }
    return resampled;
}

RgbPicture FitInto(const RgbPicture& picture, int size) {
    RgbPicture fitted;
    const bool wide = picture.width >= picture.height;
    fitted.width = wide ? size : std::max(1, (picture.width * size + picture.height / 2) / picture.height);
    fitted.height = wide ? std::max(1, (picture.height * size + picture.width / 2) / picture.width) : size;
    const std::vector<LinearRgb> linear =
        Resampled(picture.pixels.data(), picture.width, picture.height,
                  Area{0, 0, static_cast<double>(picture.width), static_cast<double>(picture.height)}, fitted.width,
                  fitted.height);
    fitted.pixels.reserve(linear.size());
    for (const LinearRgb& c : linear)
        fitted.pixels.push_back(Srgb(c));
    return fitted;
}

}  // namespace picture
