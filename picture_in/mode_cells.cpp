// The pair for a cell of any height from any list of pairs, as MixPair does
// for the classic screen: the summed squared distance to the line through a
// pair is a lower bound of its cost that the cell's sums give in a few
// operations, so pairs are measured exactly in the order of their bounds
// and the search stops once no bound can beat the best.
#include <algorithm>

#include "picture_in/mode_parts.h"

namespace picture_in::modes {
namespace {

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

float LineBound(const CellSums& sums, LinearRgb ca, LinearRgb cb) {
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

float PairCostOf(std::span<const LinearRgb> pixels, LinearRgb a, LinearRgb b, PairCost kind) {
    const LinearRgb d{b.red - a.red, b.green - a.green, b.blue - a.blue};
    const float dd = d.red * d.red + d.green * d.green + d.blue * d.blue;
    float sum = 0;
    for (const LinearRgb& p : pixels) {
        if (kind == PairCost::Nearest) {
            sum += std::min(Distance2(p, a), Distance2(p, b));
            continue;
        }
        const LinearRgb pa{p.red - a.red, p.green - a.green, p.blue - a.blue};
        float t = dd > 0 ? (pa.red * d.red + pa.green * d.green + pa.blue * d.blue) / dd : 0;
        t = std::clamp(t, 0.0f, 1.0f);
        const float r = pa.red - t * d.red, g = pa.green - t * d.green, bl = pa.blue - t * d.blue;
        sum += r * r + g * g + bl * bl;
    }
    return sum;
}

}  // namespace

std::vector<Pair> ClassicPairs(Bright bright) {
    std::vector<Pair> pairs;
    const int firstBright = bright == Bright::Always ? 1 : 0;
    const int lastBright = bright == Bright::Never ? 0 : 1;
    for (int b = firstBright; b <= lastBright; ++b)
        for (int first = 0; first < 8; ++first)
            for (int second = first; second < 8; ++second)
                pairs.push_back(Pair{static_cast<std::uint8_t>(ColourIndex(first, b)),
                                     static_cast<std::uint8_t>(ColourIndex(second, b))});
    return pairs;
}

std::vector<Pair> UlaPlusPairs() {
    std::vector<Pair> pairs;
    for (int group = 0; group < 4; ++group)
        for (int ink = 0; ink < 8; ++ink)
            for (int paper = 0; paper < 8; ++paper)
                pairs.push_back(Pair{static_cast<std::uint8_t>(16 * group + 8 + paper),
                                     static_cast<std::uint8_t>(16 * group + ink)});
    return pairs;
}

std::vector<LinearRgb> PixelsOf(const Area& area, int cell) {
    std::vector<LinearRgb> pixels;
    pixels.reserve(static_cast<std::size_t>(8) * area.cellHeight);
    const int x0 = (cell % area.Columns()) * 8, y0 = (cell / area.Columns()) * area.cellHeight;
    for (int y = y0; y < y0 + area.cellHeight; ++y)
        for (int x = x0; x < x0 + 8; ++x)
            pixels.push_back(area.pixels[static_cast<std::size_t>(y) * area.width + x]);
    return pixels;
}

CellSums SumsOf(const Area& area, int cell) {
    CellSums sums;
    for (const LinearRgb& p : PixelsOf(area, cell)) {
        const float v[3] = {p.red, p.green, p.blue};
        sums.n += 1;
        for (int i = 0; i < 3; ++i) {
            sums.s[i] += v[i];
            for (int j = 0; j < 3; ++j)
                sums.ss[i][j] += v[i] * v[j];
        }
    }
    return sums;
}

std::vector<Pair> ChoosePairs(const Area& area, std::span<const LinearRgb> table, std::span<const Pair> pairs,
                              PairCost cost) {
    std::vector<Pair> chosen(static_cast<std::size_t>(area.Cells()));
    struct Candidate {
        float bound;
        int pair;
    };
    std::vector<Candidate> candidates(pairs.size());
    for (int cell = 0; cell < area.Cells(); ++cell) {
        const std::vector<LinearRgb> pixels = PixelsOf(area, cell);
        const CellSums sums = SumsOf(area, cell);
        for (std::size_t i = 0; i < pairs.size(); ++i)
            candidates[i] = {LineBound(sums, table[pairs[i].a], table[pairs[i].b]), static_cast<int>(i)};
        // A stable sort keeps the list's order among equal bounds, so ties
        // go to the earlier pair.
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate& x, const Candidate& y) { return x.bound < y.bound; });
        int best = candidates.front().pair;
        float bestCost = -1;
        for (const Candidate& candidate : candidates) {
            // Rounding in the sums can lift a bound a hair above the true cost.
            if (bestCost >= 0 && candidate.bound * 0.999f - 1e-6f >= bestCost)
                break;
            const Pair pair = pairs[candidate.pair];
            const float c = PairCostOf(pixels, table[pair.a], table[pair.b], cost);
            if (bestCost < 0 || c < bestCost) {
                bestCost = c;
                best = candidate.pair;
            }
        }
        chosen[cell] = pairs[best];
    }
    return chosen;
}

CellOptions OptionsOf(std::span<const LinearRgb> table, std::span<const CellColours> frames) {
    CellOptions options;
    options.count = frames.size() == 2 ? 4 : 2;
    for (int o = 0; o < options.count; ++o) {
        LinearRgb sum;
        float low = 2, high = -1;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const LinearRgb c = table[(o >> f) & 1 ? frames[f].ink : frames[f].paper];
            sum.red += c.red;
            sum.green += c.green;
            sum.blue += c.blue;
            low = std::min(low, Luminance(c));
            high = std::max(high, Luminance(c));
        }
        const float n = static_cast<float>(frames.size());
        options.seen[o] = LinearRgb{sum.red / n, sum.green / n, sum.blue / n};
        options.flicker[o] = high - low;
    }
    return options;
}

}  // namespace picture_in::modes
