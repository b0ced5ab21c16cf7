// Error diffusion under the screen's rule: each cell's pair is chosen from
// the picture first (choosing from the picture plus the error pushed into
// the cell measured 1 dB worse: the error is noise the pair should not
// chase); then the picture is dithered line by line, serpentine, each pixel
// taking the nearer of its cell's pair and passing what it missed on to the
// pixels not yet done.
#include <algorithm>

#include "picture_in/conversion.h"
#include "picture_in/dither_kernels.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::CellColumns;
using screen::CellSize;
using screen::ScreenHeight;
using screen::ScreenWidth;

constexpr int Margin = 2;  // the widest kernel's reach
constexpr int ErrorWidth = ScreenWidth + 2 * Margin;

}  // namespace

Drawing ConvertDiffused(const Target& target, Dither kernel) {
    return ConvertDiffused(target, kernel, MixPairs(target));
}

Drawing ConvertDiffused(const Target& target, Dither kernel, const std::vector<CellPair>& pairs) {
    const std::span<const Tap> taps =
        kernel == Dither::Jarvis ? std::span<const Tap>(Jarvis) : std::span<const Tap>(FloydSteinberg);
    std::vector<LinearRgb> error(static_cast<std::size_t>(ErrorWidth) * (ScreenHeight + Margin));
    auto errorAt = [&](int x, int y) -> LinearRgb& {
        return error[static_cast<std::size_t>(y) * ErrorWidth + x + Margin];
    };
    auto wanted = [&](int x, int y) {
        const LinearRgb p = target.pixels[static_cast<std::size_t>(y) * ScreenWidth + x];
        const LinearRgb e = errorAt(x, y);
        // Clamped to what a colour can be, so that error a cell's pair
        // cannot show does not pile up without end (unclamped measured
        // 1.5 dB worse).
        return LinearRgb{std::clamp(p.red + e.red, 0.f, 1.f), std::clamp(p.green + e.green, 0.f, 1.f),
                         std::clamp(p.blue + e.blue, 0.f, 1.f)};
    };
    Drawing drawing(static_cast<std::size_t>(ScreenWidth) * ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y) {
        const bool backwards = y % 2 == 1;
        for (int step = 0; step < ScreenWidth; ++step) {
            const int x = backwards ? ScreenWidth - 1 - step : step;
            const LinearRgb want = wanted(x, y);
            const CellPair pair = pairs[static_cast<std::size_t>(y / CellSize) * CellColumns + x / CellSize];
            const int chosen = Nearer(want, pair, target.colours);
            drawing[static_cast<std::size_t>(y) * ScreenWidth + x] = static_cast<std::uint8_t>(chosen);
            const LinearRgb got = target.colours.linear[chosen];
            const LinearRgb miss{want.red - got.red, want.green - got.green, want.blue - got.blue};
            for (const Tap& tap : taps) {
                const int tx = x + (backwards ? -tap.dx : tap.dx);
                const int ty = y + tap.dy;
                if (tx < 0 || tx >= ScreenWidth || ty >= ScreenHeight)
                    continue;  // error that would leave the screen is dropped
                LinearRgb& e = errorAt(tx, ty);
                e.red += tap.weight * miss.red;
                e.green += tap.weight * miss.green;
                e.blue += tap.weight * miss.blue;
            }
        }
    }
    return drawing;
}

}  // namespace picture_in
