// Floyd-Steinberg's dots refined against a model of the eye: the picture and
// the drawing are both seen through a Gaussian blur of sigma 1 pixel, and
// each pixel in turn takes its cell's other colour when that brings the two
// blurred pictures closer (a direct binary search). The change one pixel
// makes to the summed squared difference is read from the difference
// filtered by the blur's autocorrelation, kept up to date as pixels change.
// A drawing that is already exact has no difference to reduce and stays.
#include <cmath>

#include "picture_in/conversion.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::CellColumns;
using screen::CellSize;
using screen::ScreenHeight;
using screen::ScreenWidth;

constexpr double EyeSigma = 1.0;
constexpr int Reach = 6;  // the autocorrelation's radius, 3 sigma of its sqrt(2) sigma rounded up
constexpr int Passes = 8;

// The blur's autocorrelation along one axis (it is separable): a Gaussian of
// sigma sqrt(2) sigma, as the sum of the blur's taps against each other.
std::array<float, 2 * Reach + 1> Autocorrelation() {
    constexpr int radius = 3;
    double taps[2 * radius + 1];
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += taps[i + radius] = std::exp(-i * i / (2 * EyeSigma * EyeSigma));
    std::array<float, 2 * Reach + 1> out{};
    for (int shift = -Reach; shift <= Reach; ++shift) {
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            if (i + shift >= -radius && i + shift <= radius)
                sum += taps[i + radius] * taps[i + shift + radius];
        out[shift + Reach] = static_cast<float>(sum / (total * total));
    }
    return out;
}

} // namespace

Drawing ConvertRefined(const Target& target) {
    const std::vector<CellPair> pairs = MixPairs(target);
    Drawing drawing = ConvertDiffused(target, Dither::FloydSteinberg, pairs);
    const auto c = Autocorrelation();
    const float centre = c[Reach] * c[Reach];
    constexpr int Width = ScreenWidth + 2 * Reach;
    constexpr int Height = ScreenHeight + 2 * Reach;
    // The difference, drawn minus wanted, filtered by the autocorrelation:
    // across into `rows`, then down into `filtered` (both with margins).
    std::vector<LinearRgb> rows(static_cast<std::size_t>(Width) * Height);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
            const LinearRgb drawn = target.colours.linear[drawing[i]];
            const LinearRgb d{drawn.red - target.pixels[i].red, drawn.green - target.pixels[i].green,
                              drawn.blue - target.pixels[i].blue};
            for (int k = -Reach; k <= Reach; ++k) {
                LinearRgb& r = rows[static_cast<std::size_t>(y + Reach) * Width + x + Reach + k];
                r.red += c[k + Reach] * d.red;
                r.green += c[k + Reach] * d.green;
                r.blue += c[k + Reach] * d.blue;
            }
        }
    std::vector<LinearRgb> filtered(rows.size());
    for (int y = Reach; y < Reach + ScreenHeight; ++y)
        for (int x = 0; x < Width; ++x) {
            const LinearRgb r = rows[static_cast<std::size_t>(y) * Width + x];
            for (int k = -Reach; k <= Reach; ++k) {
                LinearRgb& f = filtered[static_cast<std::size_t>(y + k) * Width + x];
                f.red += c[k + Reach] * r.red;
                f.green += c[k + Reach] * r.green;
                f.blue += c[k + Reach] * r.blue;
            }
        }
    for (int pass = 0; pass < Passes; ++pass) {
        int changed = 0;
        for (int y = 0; y < ScreenHeight; ++y)
            for (int x = 0; x < ScreenWidth; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
                const CellPair pair = pairs[static_cast<std::size_t>(y / CellSize) * CellColumns + x / CellSize];
                const int now = drawing[i];
                const int other = now == pair.first ? pair.second : pair.first;
                if (other == now)
                    continue;
                const LinearRgb a = target.colours.linear[now], b = target.colours.linear[other];
                const LinearRgb step{b.red - a.red, b.green - a.green, b.blue - a.blue};
                const LinearRgb f = filtered[static_cast<std::size_t>(y + Reach) * Width + x + Reach];
                const float gain = 2 * (step.red * f.red + step.green * f.green + step.blue * f.blue) +
                                   centre * (step.red * step.red + step.green * step.green + step.blue * step.blue);
                if (gain >= 0)
                    continue;
                drawing[i] = static_cast<std::uint8_t>(other);
                ++changed;
                for (int dy = -Reach; dy <= Reach; ++dy) {
                    LinearRgb* line = filtered.data() + static_cast<std::size_t>(y + Reach + dy) * Width + x + Reach;
                    for (int dx = -Reach; dx <= Reach; ++dx) {
                        const float w = c[dy + Reach] * c[dx + Reach];
                        line[dx].red += w * step.red;
                        line[dx].green += w * step.green;
                        line[dx].blue += w * step.blue;
                    }
                }
            }
        if (changed == 0)
            break;
    }
    return drawing;
}

} // namespace picture_in
