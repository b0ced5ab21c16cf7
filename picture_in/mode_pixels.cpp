// Each pixel's choice among its cell's options, under the dithers the
// classic screen has: the nearest option, error diffusion (serpentine, the
// error clamped to what a colour can be, as for the classic screen), the
// ordered dither, and the diffusion refined against the eye's blur. With
// several frames an option's flicker is priced beside its error.
#include <algorithm>

#include "picture_in/mode_parts.h"
#include "picture_in/dither_kernels.h"

namespace picture_in::modes {
namespace {

int Nearest(LinearRgb want, const CellOptions& options, float weight) {
    int best = 0;
    float bestCost = 0;
    for (int o = 0; o < options.count; ++o) {
        const float cost = Distance2(want, options.seen[o]) + weight * options.flicker[o];
        if (o == 0 || cost < bestCost) {
            best = o;
            bestCost = cost;
        }
    }
    return best;
}

std::vector<std::uint8_t> Diffused(const PixelProblem& problem, Dither kernel) {
    const Area& area = problem.area;
    const std::span<const Tap> taps =
        kernel == Dither::Jarvis ? std::span<const Tap>(Jarvis) : std::span<const Tap>(FloydSteinberg);
    constexpr int Margin = 2;
    const int errorWidth = area.width + 2 * Margin;
    std::vector<LinearRgb> error(static_cast<std::size_t>(errorWidth) * (area.height + Margin));
    std::vector<std::uint8_t> chosen(static_cast<std::size_t>(area.width) * area.height);
    for (int y = 0; y < area.height; ++y) {
        const bool backwards = y % 2 == 1;
        for (int step = 0; step < area.width; ++step) {
            const int x = backwards ? area.width - 1 - step : step;
            const std::size_t i = static_cast<std::size_t>(y) * area.width + x;
            const LinearRgb p = area.pixels[i];
            const LinearRgb e = error[static_cast<std::size_t>(y) * errorWidth + x + Margin];
            const LinearRgb want{std::clamp(p.red + e.red, 0.f, 1.f), std::clamp(p.green + e.green, 0.f, 1.f),
                                 std::clamp(p.blue + e.blue, 0.f, 1.f)};
            const CellOptions& options = problem.cells[area.CellOf(x, y)];
            const int o = Nearest(want, options, problem.flickerWeight);
            chosen[i] = static_cast<std::uint8_t>(o);
            const LinearRgb got = options.seen[o];
            const LinearRgb miss{want.red - got.red, want.green - got.green, want.blue - got.blue};
            for (const Tap& tap : taps) {
                const int tx = x + (backwards ? -tap.dx : tap.dx), ty = y + tap.dy;
                if (tx < 0 || tx >= area.width || ty >= area.height)
                    continue;
                LinearRgb& to = error[static_cast<std::size_t>(ty) * errorWidth + tx + Margin];
                to.red += tap.weight * miss.red;
                to.green += tap.weight * miss.green;
                to.blue += tap.weight * miss.blue;
            }
        }
    }
    return chosen;
}

// The ordered dither between the two options whose segment lies nearest the
// pixel: the share of the way from one to the other against the matrix.
int Ordered(LinearRgb p, const CellOptions& options, int x, int y) {
    int first = 0, second = 0;
    float bestDistance = -1, bestShare = 0;
    for (int a = 0; a < options.count; ++a)
        for (int b = a; b < options.count; ++b) {
            const LinearRgb ca = options.seen[a], cb = options.seen[b];
            const LinearRgb d{cb.red - ca.red, cb.green - ca.green, cb.blue - ca.blue};
            const float dd = d.red * d.red + d.green * d.green + d.blue * d.blue;
            float t =
                dd > 0 ? ((p.red - ca.red) * d.red + (p.green - ca.green) * d.green + (p.blue - ca.blue) * d.blue) / dd
                       : 0;
            t = std::clamp(t, 0.f, 1.f);
            const LinearRgb on{ca.red + t * d.red, ca.green + t * d.green, ca.blue + t * d.blue};
            const float distance = Distance2(p, on);
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                first = a;
                second = b;
                bestShare = t;
            }
        }
    const float threshold = (static_cast<float>(BayerRank(x % 8, y % 8)) + 0.5f) / 64.f;
    return bestShare > threshold ? second : first;
}

}  // namespace

std::vector<std::uint8_t> ChoosePixels(const PixelProblem& problem, Dither dither) {
    const Area& area = problem.area;
    std::vector<std::uint8_t> chosen(static_cast<std::size_t>(area.width) * area.height);
    switch (dither) {
    case Dither::None:
    case Dither::Bayer:
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * area.width + x;
                const CellOptions& options = problem.cells[area.CellOf(x, y)];
                chosen[i] = static_cast<std::uint8_t>(dither == Dither::None
                                                          ? Nearest(area.pixels[i], options, problem.flickerWeight)
                                                          : Ordered(area.pixels[i], options, x, y));
            }
        return chosen;
    case Dither::FloydSteinberg:
    case Dither::Jarvis: return Diffused(problem, dither);
    case Dither::Refined: break;
    }
    chosen = Diffused(problem, Dither::FloydSteinberg);
    Refine(problem, chosen);
    return chosen;
}

}  // namespace picture_in::modes
