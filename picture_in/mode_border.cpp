// The border: each 8-pixel segment takes one of the eight BRIGHT 0 colours.
// The segments are dithered as pixels of their own, a picture 48 segments
// wide, each standing for the mean of its eight pixels; error diffusion
// spreads what a segment misses to its neighbours in that picture.
#include <algorithm>

#include "picture_in/mode_parts.h"
#include "screen/screen_layout.h"

namespace picture_in::modes {
namespace {

constexpr int Segments = BorderFieldWidth / SegmentWidth;  // 48 a line

bool InBorder(int segment, int y) {
    const int first = BorderLeft / SegmentWidth, last = (BorderLeft + screen::ScreenWidth) / SegmentWidth;
    return y < BorderTop || y >= BorderTop + screen::ScreenHeight || segment < first || segment >= last;
}

int NearestColour(LinearRgb want, const ScreenColours& colours) {
    int best = 0;
    for (int number = 1; number < 8; ++number)
        if (Distance2(want, colours.linear[number]) < Distance2(want, colours.linear[best]))
            best = number;
    return best;
}

}  // namespace

std::vector<std::uint8_t> ChooseBorder(std::span<const LinearRgb> field, const ScreenColours& colours, Dither dither) {
    std::vector<LinearRgb> mean(static_cast<std::size_t>(Segments) * BorderFieldHeight);
    for (int y = 0; y < BorderFieldHeight; ++y)
        for (int s = 0; s < Segments; ++s) {
            LinearRgb sum;
            for (int x = s * SegmentWidth; x < (s + 1) * SegmentWidth; ++x) {
                const LinearRgb p = field[static_cast<std::size_t>(y) * BorderFieldWidth + x];
                sum.red += p.red / SegmentWidth;
                sum.green += p.green / SegmentWidth;
                sum.blue += p.blue / SegmentWidth;
            }
            mean[static_cast<std::size_t>(y) * Segments + s] = sum;
        }
    std::vector<std::uint8_t> border(mean.size());
    const bool diffuse = dither != Dither::None;
    for (int y = 0; y < BorderFieldHeight; ++y) {
        const bool backwards = y % 2 == 1;
        for (int step = 0; step < Segments; ++step) {
            const int s = backwards ? Segments - 1 - step : step;
            if (!InBorder(s, y))
                continue;
            const std::size_t i = static_cast<std::size_t>(y) * Segments + s;
            const LinearRgb want{std::clamp(mean[i].red, 0.f, 1.f), std::clamp(mean[i].green, 0.f, 1.f),
                                 std::clamp(mean[i].blue, 0.f, 1.f)};
            const int chosen = NearestColour(want, colours);
            border[i] = static_cast<std::uint8_t>(chosen);
            if (!diffuse)
                continue;
            const LinearRgb got = colours.linear[chosen];
            const LinearRgb miss{want.red - got.red, want.green - got.green, want.blue - got.blue};
            // Floyd-Steinberg's weights over the segments still to come in
            // the border; what would fall in the screen area is dropped.
            const struct {
                int ds, dy;
                float weight;
            } taps[] = {{1, 0, 7 / 16.f}, {-1, 1, 3 / 16.f}, {0, 1, 5 / 16.f}, {1, 1, 1 / 16.f}};
            for (const auto& tap : taps) {
                const int ts = s + (backwards ? -tap.ds : tap.ds), ty = y + tap.dy;
                if (ts < 0 || ts >= Segments || ty >= BorderFieldHeight || !InBorder(ts, ty))
                    continue;
                LinearRgb& to = mean[static_cast<std::size_t>(ty) * Segments + ts];
                to.red += tap.weight * miss.red;
                to.green += tap.weight * miss.green;
                to.blue += tap.weight * miss.blue;
            }
        }
    }
    return border;
}

}  // namespace picture_in::modes
