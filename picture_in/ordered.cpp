// Ordered dithering by an 8 x 8 Bayer matrix. Each pixel is placed along the
// segment between its cell's two colours (0 at the first, 1 at the second)
// and takes the second where that share passes the matrix's threshold, so a
// patch of one colour shows the mix in the right proportion in linear light.
#include <algorithm>

#include "picture_in/conversion.h"
#include "picture_in/dither_kernels.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::CellSize;
using screen::ScreenWidth;

static_assert(BayerRank(0, 0) == 0 && BayerRank(1, 1) == 16 && BayerRank(1, 0) == 32 && BayerRank(0, 1) == 48 &&
              BayerRank(2, 2) == 4 && BayerRank(7, 7) == 21);

float Share(LinearRgb p, LinearRgb a, LinearRgb b) {
    const LinearRgb d{b.red - a.red, b.green - a.green, b.blue - a.blue};
    const float dd = d.red * d.red + d.green * d.green + d.blue * d.blue;
    if (dd == 0)
        return 0;
    const float t = ((p.red - a.red) * d.red + (p.green - a.green) * d.green + (p.blue - a.blue) * d.blue) / dd;
    return std::clamp(t, 0.f, 1.f);
}

}  // namespace

Drawing ConvertOrdered(const Target& target) {
    Drawing drawing(static_cast<std::size_t>(ScreenWidth) * screen::ScreenHeight);
    const std::vector<CellPair> pairs = MixPairs(target);
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column) {
            const CellPixels cell = PixelsOfCell(target.pixels, column, row);
            const CellPair pair = pairs[static_cast<std::size_t>(row) * screen::CellColumns + column];
            const LinearRgb a = target.colours.linear[pair.first], b = target.colours.linear[pair.second];
            for (int i = 0; i < 64; ++i) {
                const int x = i % CellSize, y = i / CellSize;
                // Thresholds (rank + 0.5) / 64 lie strictly inside 0..1, so a
                // pixel that is exactly one of the pair stays that colour.
                const float threshold = (static_cast<float>(BayerRank(x, y)) + 0.5f) / 64.f;
                const int chosen = Share(cell[i], a, b) > threshold ? pair.second : pair.first;
                drawing[static_cast<std::size_t>(row * CellSize + y) * ScreenWidth + column * CellSize + x] =
                    static_cast<std::uint8_t>(chosen);
            }
        }
    return drawing;
}

Drawing Convert(const Target& target, Dither dither) {
    switch (dither) {
    case Dither::None: return ConvertExact(target);
    case Dither::FloydSteinberg:
    case Dither::Jarvis: return ConvertDiffused(target, dither);
    case Dither::Bayer: return ConvertOrdered(target);
    case Dither::Refined: return ConvertRefined(target);
    }
    return ConvertExact(target);
}

}  // namespace picture_in
