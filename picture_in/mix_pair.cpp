// The pair for a dithered cell. A dither of colours A and B can show any mix
// of them, the points of the segment from A to B; a pixel's cost is its
// squared distance to that segment. The distance to the whole line is a
// lower bound that the cell's sums give in a few operations per pair, so
// pairs are measured exactly in the order of their bounds and the search
// stops once no bound can beat the best.
#include <algorithm>

#include "picture_in/conversion.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

struct Sums {
    float n = 0;
    float s[3] = {};      // sum of p
    float ss[3][3] = {};  // sum of p p^T
};

Sums SumsOf(const CellPixels& cell) {
    Sums sums;
    sums.n = static_cast<float>(cell.size());
    for (const LinearRgb& p : cell) {
        const float v[3] = {p.red, p.green, p.blue};
        for (int i = 0; i < 3; ++i) {
            sums.s[i] += v[i];
            for (int j = 0; j < 3; ++j)
                sums.ss[i][j] += v[i] * v[j];
        }
    }
    return sums;
}

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The summed squared distance from the cell to the line through a and b.
float LineBound(const Sums& sums, LinearRgb ca, LinearRgb cb) {
    const float a[3] = {ca.red, ca.green, ca.blue};
    const float d[3] = {cb.red - ca.red, cb.green - ca.green, cb.blue - ca.blue};
    const float toA = sums.ss[0][0] + sums.ss[1][1] + sums.ss[2][2] - 2 * Dot(a, sums.s) + sums.n * Dot(a, a);
    const float dd = Dot(d, d);
    if (dd == 0)
        return toA;
    float dSd = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            dSd += d[i] * sums.ss[i][j] * d[j];
    const float ad = Dot(a, d);
    const float along = dSd - 2 * ad * Dot(sums.s, d) + sums.n * ad * ad;
    return toA - along / dd;
}

float SegmentCost(const CellPixels& cell, LinearRgb a, LinearRgb b) {
    const LinearRgb d{b.red - a.red, b.green - a.green, b.blue - a.blue};
    const float dd = d.red * d.red + d.green * d.green + d.blue * d.blue;
    float sum = 0;
    for (const LinearRgb& p : cell) {
        const LinearRgb pa{p.red - a.red, p.green - a.green, p.blue - a.blue};
        float t = dd > 0 ? (pa.red * d.red + pa.green * d.green + pa.blue * d.blue) / dd : 0;
        t = std::clamp(t, 0.0f, 1.0f);
        const float r = pa.red - t * d.red, g = pa.green - t * d.green, bl = pa.blue - t * d.blue;
        sum += r * r + g * g + bl * bl;
    }
    return sum;
}

}  // namespace

CellPair MixPair(const CellPixels& cell, const ScreenColours& colours, Bright bright) {
    float exactCost = 0;
    const CellPair exact = ExactPair(cell, colours, bright, &exactCost);
    if (exactCost == 0)
        return exact;
    const Sums sums = SumsOf(cell);
    struct Candidate {
        float bound;
        CellPair pair;
    };
    std::array<Candidate, 72> candidates;
    int count = 0;
    const int firstBright = bright == Bright::Always ? 1 : 0;
    const int lastBright = bright == Bright::Never ? 0 : 1;
    for (int b = firstBright; b <= lastBright; ++b)
        for (int first = 0; first < 8; ++first)
            for (int second = first; second < 8; ++second) {
                const CellPair pair{ColourIndex(first, b), ColourIndex(second, b)};
                candidates[count++] = {LineBound(sums, colours.linear[pair.first], colours.linear[pair.second]), pair};
            }
    // A stable sort keeps the documented order among equal bounds.
    std::stable_sort(candidates.begin(), candidates.begin() + count,
                     [](const Candidate& x, const Candidate& y) { return x.bound < y.bound; });
    CellPair best = exact;
    float bestCost = exactCost;  // the optimum's pair is a candidate, so never worse than it
    for (int i = 0; i < count; ++i) {
        // Rounding in the sums can lift a bound a hair above the true cost.
        if (candidates[i].bound * 0.999f - 1e-6f >= bestCost)
            break;
        const CellPair pair = candidates[i].pair;
        const float cost = SegmentCost(cell, colours.linear[pair.first], colours.linear[pair.second]);
        if (cost < bestCost) {
            bestCost = cost;
            best = pair;
        }
    }
    return best;
}

std::vector<CellPair> MixPairs(const Target& target) {
    std::vector<CellPair> pairs;
    pairs.reserve(screen::AttributeCount);
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column)
            pairs.push_back(MixPair(PixelsOfCell(target.pixels, column, row), target.colours, target.bright));
    return pairs;
}

}  // namespace picture_in
