// The pair for a cell of any height from any list of pairs, as MixPair does
// for the classic screen: the summed squared distance to the line through a
// pair is a lower bound of its cost that the cell's sums give in a few
// operations, so pairs are measured exactly in the order of their bounds
// and the search stops once no bound can beat the best.
#include <algorithm>

#include "picture_in/mode_parts.h"
#include "screen/screen_layout.h"

namespace picture_in::modes {
namespace {

// Pairs measured exactly per cell, at most.
constexpr int Measured = 24;
// Pairs kept per cell for the refinement to try, the best first.
constexpr int RunnersUp = 12;

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The pairs' lines, worked out once for every cell and laid out for the
// compiler to take several at a time: a point on each, its direction and
// the products the bound needs.
struct Lines {
    std::vector<float> a0, a1, a2, d0, d1, d2, aa, ad, inverse;  // inverse: 1 / (d.d), 0 for a point

    Lines(std::span<const LinearRgb> table, std::span<const Pair> pairs) {
        for (const Pair& pair : pairs) {
            const LinearRgb x = table[pair.a], y = table[pair.b];
            const float d[3] = {y.red - x.red, y.green - x.green, y.blue - x.blue};
            const float a[3] = {x.red, x.green, x.blue};
            a0.push_back(a[0]), a1.push_back(a[1]), a2.push_back(a[2]);
            d0.push_back(d[0]), d1.push_back(d[1]), d2.push_back(d[2]);
            aa.push_back(Dot(a, a));
            ad.push_back(Dot(a, d));
            inverse.push_back(Dot(d, d) > 0 ? 1 / Dot(d, d) : 0.f);
        }
    }

    // The summed squared distance from the cell to each pair's line, plus,
    // where the cell's mean lies beyond the segment's ends along the line,
    // what that costs at least (the pixels' nearest points on the segment
    // average to a point of the segment).
    void Bounds(const CellSums& sums, float* out) const {
        const float trace = sums.ss[0][0] + sums.ss[1][1] + sums.ss[2][2];
        const float s0 = sums.s[0], s1 = sums.s[1], s2 = sums.s[2], n = sums.n;
        const float q00 = sums.ss[0][0], q11 = sums.ss[1][1], q22 = sums.ss[2][2];
        const float q01 = 2 * sums.ss[0][1], q02 = 2 * sums.ss[0][2], q12 = 2 * sums.ss[1][2];
        const std::size_t count = aa.size();
        for (std::size_t i = 0; i < count; ++i) {
            const float toA = trace - 2 * (a0[i] * s0 + a1[i] * s1 + a2[i] * s2) + n * aa[i];
            const float x = d0[i], y = d1[i], z = d2[i];
            const float dSd = x * x * q00 + y * y * q11 + z * z * q22 + x * y * q01 + x * z * q02 + y * z * q12;
            const float sd = s0 * x + s1 * y + s2 * z;
            const float along = dSd - 2 * ad[i] * sd + n * ad[i] * ad[i];
            // Where the cell's mean falls along the line, as a share of the
            // way from a to b: beyond either end, every pixel's nearest
            // point on the segment lies on average that far short of it.
            const float t = (sd / n - ad[i]) * inverse[i];
            const float beyond = t < 0 ? t : t > 1 ? t - 1 : 0.f;
            out[i] = toA - along * inverse[i] + n * beyond * beyond * (x * x + y * y + z * z);
        }
    }
};

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
        sum += r * r + g * g + bl * bl + DitherNoise() * t * (1 - t) * dd;
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

Area AreaOf(std::span<const LinearRgb> pixels, ModeShape shape) {
    Area area{pixels, screen::ScreenWidth, screen::ScreenHeight, shape.cellHeight};
    if (shape.middleCellHeight) {
        area.middleHeight = shape.middleCellHeight;
        area.middleFirst = MiddleFirst;
        area.middleColumns = MiddleColumns;
    }
    return area;
}

CellBlock PixelsOf(const Area& area, int cell) {
    CellBlock block;
    const CellBox box = area.BoxOf(cell);
    for (int y = box.y0; y < box.y0 + box.height; ++y)
        for (int x = box.x0; x < box.x0 + 8; ++x)
            block.pixels[block.count++] = area.pixels[static_cast<std::size_t>(y) * area.width + x];
    return block;
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
                              PairCost cost, std::vector<std::vector<Pair>>* runnersUp, float* total) {
    std::vector<Pair> chosen(static_cast<std::size_t>(area.Cells()));
    if (total)
        *total = 0;
    if (runnersUp)
        runnersUp->assign(chosen.size(), {});
    std::vector<std::pair<float, int>> measured;
    struct Candidate {
        float bound;
        int pair;
    };
    std::vector<Candidate> candidates(pairs.size());
    const Lines lines(table, pairs);
    std::vector<float> bounds(pairs.size());
    for (int cell = 0; cell < area.Cells(); ++cell) {
        const CellBlock pixels = PixelsOf(area, cell);
        const CellSums sums = SumsOf(area, cell);
        lines.Bounds(sums, bounds.data());
        for (std::size_t i = 0; i < pairs.size(); ++i)
            candidates[i] = {bounds[i], static_cast<int>(i)};
        // Ties go to the earlier pair. Only the pairs of the lowest bounds
        // are measured: with many near colours (a ULAplus palette) the
        // bounds lie close together and the best is almost always among the
        // first few.
        const auto byBound = [](const Candidate& x, const Candidate& y) {
            return x.bound < y.bound || (x.bound == y.bound && x.pair < y.pair);
        };
        const auto head = candidates.begin() + std::min<std::ptrdiff_t>(Measured, std::ssize(candidates));
        std::nth_element(candidates.begin(), head, candidates.end(), byBound);
        std::sort(candidates.begin(), head, byBound);
        int best = candidates.front().pair;
        float bestCost = -1;
        measured.clear();
        for (auto it = candidates.begin(); it != head; ++it) {
            // Rounding in the sums can lift a bound a hair above the true
            // cost. The runners-up need the next best as well.
            if (bestCost >= 0 && it->bound * 0.999f - 1e-6f >= bestCost && !runnersUp)
                break;
            const Pair pair = pairs[it->pair];
            const float c = PairCostOf(pixels.Span(), table[pair.a], table[pair.b], cost);
            measured.emplace_back(c, it->pair);
            if (bestCost < 0 || c < bestCost) {
                bestCost = c;
                best = it->pair;
            }
        }
        chosen[cell] = pairs[best];
        if (total)
            *total += bestCost;
        if (runnersUp) {
            const auto kept = measured.begin() + std::min<std::ptrdiff_t>(RunnersUp, std::ssize(measured));
            std::partial_sort(measured.begin(), kept, measured.end());
            for (auto it = measured.begin(); it != kept; ++it)
                (*runnersUp)[cell].push_back(pairs[it->second]);
        }
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
