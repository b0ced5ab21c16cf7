// A gigascreen cell's two pairs. Pair (A, B) in one frame and (C, D) in the
// other show the four averages of A or B with C or D: the corners of a
// parallelogram, whose points a dither of the four can show. A pixel's cost
// is its squared distance to that parallelogram plus the price of the
// flicker there (interpolated between the corners'). The distance to the
// parallelogram's plane is a lower bound that the cell's sums give cheaply;
// the combinations with the lowest bounds are measured exactly.
#include <algorithm>
#include <cmath>

#include "picture_in/mode_parts.h"

namespace picture_in::modes {
namespace {

// Combinations measured exactly per cell, at most.
constexpr int Measured = 32;
// Combinations kept per cell for the refinement to try, the best first.
constexpr int RunnersUp = 8;

struct Vec {
    float v[3] = {};
};
Vec Of(LinearRgb c) { return Vec{{c.red, c.green, c.blue}}; }
float Dot(const Vec& a, const Vec& b) { return a.v[0] * b.v[0] + a.v[1] * b.v[1] + a.v[2] * b.v[2]; }
Vec Minus(const Vec& a, const Vec& b) { return Vec{{a.v[0] - b.v[0], a.v[1] - b.v[1], a.v[2] - b.v[2]}}; }
Vec Scaled(const Vec& a, float k) { return Vec{{a.v[0] * k, a.v[1] * k, a.v[2] * k}}; }

// One combination of a pair per frame, worked out once for every cell.
struct Combination {
    int first = 0;  // indices into the pair list
    int second = 0;
    Vec corner[4];  // option o: bit 0 = the first pair's b, bit 1 = the second's b
    float flicker[4] = {};
    Vec u, v;  // corner[1] - corner[0], corner[2] - corner[0]
    Vec basis[2];
    int dimensions = 0;
    float inverse[3] = {};  // of the Gram matrix of u, v: (vv, -uv, uu) / det, when dimensions == 2
};

Combination Combine(std::span<const LinearRgb> table, const Pair& p, const Pair& q, int i, int j) {
    Combination c;
    c.first = i;
    c.second = j;
    for (int o = 0; o < 4; ++o) {
        const LinearRgb x = table[o & 1 ? p.b : p.a], y = table[o & 2 ? q.b : q.a];
        c.corner[o] = Vec{{(x.red + y.red) / 2, (x.green + y.green) / 2, (x.blue + y.blue) / 2}};
        c.flicker[o] = std::abs(Luminance(x) - Luminance(y));
    }
    c.u = Minus(c.corner[1], c.corner[0]);
    c.v = Minus(c.corner[2], c.corner[0]);
    for (const Vec& w : {c.u, c.v}) {
        Vec rest = w;
        for (int k = 0; k < c.dimensions; ++k)
            rest = Minus(rest, Scaled(c.basis[k], Dot(rest, c.basis[k])));
        const float length = std::sqrt(Dot(rest, rest));
        if (length > 1e-4f)
            c.basis[c.dimensions++] = Scaled(rest, 1 / length);
    }
    if (c.dimensions == 2) {
        const float uu = Dot(c.u, c.u), uv = Dot(c.u, c.v), vv = Dot(c.v, c.v);
        const float det = uu * vv - uv * uv;
        c.inverse[0] = vv / det;
        c.inverse[1] = -uv / det;
        c.inverse[2] = uu / det;
    }
    return c;
}

float PlaneBound(const CellSums& sums, const Combination& c) {
    const Vec s{{sums.s[0], sums.s[1], sums.s[2]}};
    const Vec& o = c.corner[0];
    float total = sums.ss[0][0] + sums.ss[1][1] + sums.ss[2][2] - 2 * Dot(o, s) + sums.n * Dot(o, o);
    for (int k = 0; k < c.dimensions; ++k) {
        const Vec& e = c.basis[k];
        float eSe = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                eSe += e.v[i] * sums.ss[i][j] * e.v[j];
        const float eo = Dot(e, o);
        total -= eSe - 2 * eo * Dot(e, s) + sums.n * eo * eo;
    }
    return total;
}

// Squared distance from p to the segment from corner a to corner b, plus
// the flicker priced along it.
float EdgeCost(const Vec& p, const Combination& c, int a, int b, float weight) {
    const Vec d = Minus(c.corner[b], c.corner[a]), pa = Minus(p, c.corner[a]);
    const float dd = Dot(d, d);
    const float t = dd > 0 ? std::clamp(Dot(pa, d) / dd, 0.f, 1.f) : 0.f;
    const Vec r = Minus(pa, Scaled(d, t));
    return Dot(r, r) + weight * (c.flicker[a] * (1 - t) + c.flicker[b] * t) + DitherNoise() * t * (1 - t) * dd;
}

float PixelCost(const Vec& p, const Combination& c, float weight);

// A lower bound of the cell's cost: the part of each pixel's distance across
// the parallelogram's plane (from the sums), plus the part along it, which
// is at least the cell mean's distance to the parallelogram within the plane
// for every pixel (the mean of the nearest points lies in the
// parallelogram), plus the least flicker.
float Bound(const CellSums& sums, const Vec& mean, const Combination& c, float weight) {
    float across = 0;
    Vec rest = Minus(mean, c.corner[0]);
    for (int k = 0; k < c.dimensions; ++k)
        rest = Minus(rest, Scaled(c.basis[k], Dot(rest, c.basis[k])));
    across = Dot(rest, rest);
    const float along = std::max(0.f, PixelCost(mean, c, 0) - across);
    const float least = std::min({c.flicker[0], c.flicker[1], c.flicker[2], c.flicker[3]});
    return PlaneBound(sums, c) + sums.n * (along + weight * least);
}

float PixelCost(const Vec& p, const Combination& c, float weight) {
    if (c.dimensions == 2) {
        const Vec d = Minus(p, c.corner[0]);
        const float a = Dot(d, c.u), b = Dot(d, c.v);
        const float s = c.inverse[0] * a + c.inverse[1] * b, t = c.inverse[1] * a + c.inverse[2] * b;
        if (s >= 0 && s <= 1 && t >= 0 && t <= 1) {
            const Vec r = Minus(Minus(d, Scaled(c.u, s)), Scaled(c.v, t));
            const float flicker = (1 - s) * (1 - t) * c.flicker[0] + s * (1 - t) * c.flicker[1] +
                                  (1 - s) * t * c.flicker[2] + s * t * c.flicker[3];
            const float noise = s * (1 - s) * Dot(c.u, c.u) + t * (1 - t) * Dot(c.v, c.v);
            return Dot(r, r) + weight * flicker + DitherNoise() * noise;
        }
    }
    return std::min({EdgeCost(p, c, 0, 1, weight), EdgeCost(p, c, 0, 2, weight), EdgeCost(p, c, 1, 3, weight),
                     EdgeCost(p, c, 2, 3, weight)});
}

}  // namespace

std::vector<std::array<Pair, 2>> ChooseFramePairs(const Area& area, std::span<const LinearRgb> table,
                                                  std::span<const Pair> pairs, float flickerWeight,
                                                  std::vector<std::vector<std::array<Pair, 2>>>* runnersUp) {
    if (runnersUp)
        runnersUp->assign(static_cast<std::size_t>(area.Cells()), {});
    std::vector<std::pair<float, int>> costs;
    std::vector<Combination> combinations;
    for (std::size_t i = 0; i < pairs.size(); ++i)
        for (std::size_t j = i; j < pairs.size(); ++j)
            combinations.push_back(Combine(table, pairs[i], pairs[j], static_cast<int>(i), static_cast<int>(j)));
    struct Candidate {
        float bound;
        int combination;
    };
    std::vector<Candidate> candidates(combinations.size());
    std::vector<std::array<Pair, 2>> chosen(static_cast<std::size_t>(area.Cells()));
    // Many combinations share a bound of nought on cells of few colours, so
    // the classic screen's pair in both frames is measured first: never
    // worse than the classic screen.
    const std::vector<Pair> single = ChoosePairs(area, table, pairs, PairCost::Mix);
    const int n = static_cast<int>(pairs.size());
    for (int cell = 0; cell < area.Cells(); ++cell) {
        const CellSums sums = SumsOf(area, cell);
        const Vec mean{{sums.s[0] / sums.n, sums.s[1] / sums.n, sums.s[2] / sums.n}};
        std::vector<Vec> pixels;
        for (const LinearRgb& p : PixelsOf(area, cell))
            pixels.push_back(Of(p));
        for (std::size_t i = 0; i < combinations.size(); ++i)
            candidates[i] = {Bound(sums, mean, combinations[i], flickerWeight), static_cast<int>(i)};
        const auto byBound = [](const Candidate& x, const Candidate& y) {
            return x.bound < y.bound || (x.bound == y.bound && x.combination < y.combination);
        };
        const auto measured = candidates.begin() + std::min<std::ptrdiff_t>(Measured, std::ssize(candidates));
        std::partial_sort(candidates.begin(), measured, candidates.end(), byBound);
        int i = 0;
        while (pairs[i].a != single[cell].a || pairs[i].b != single[cell].b)
            ++i;
        int best = i * n - i * (i - 1) / 2;  // the combination (i, i)
        float bestCost = 0;
        for (const Vec& p : pixels)
            bestCost += PixelCost(p, combinations[best], flickerWeight);
        costs.assign(1, {bestCost, best});
        for (auto it = candidates.begin(); it != measured; ++it) {
            if (it->bound * 0.999f - 1e-6f >= bestCost && !runnersUp)
                break;
            float cost = 0;
            for (const Vec& p : pixels)
                cost += PixelCost(p, combinations[it->combination], flickerWeight);
            if (it->combination != costs.front().second)
                costs.emplace_back(cost, it->combination);
            if (cost < bestCost) {
                bestCost = cost;
                best = it->combination;
            }
        }
        chosen[cell] = {pairs[combinations[best].first], pairs[combinations[best].second]};
        if (runnersUp) {
            const auto kept = costs.begin() + std::min<std::ptrdiff_t>(RunnersUp, std::ssize(costs));
            std::partial_sort(costs.begin(), kept, costs.end());
            for (auto it = costs.begin(); it != kept; ++it)
                (*runnersUp)[cell].push_back(
                    {pairs[combinations[it->second].first], pairs[combinations[it->second].second]});
        }
    }
    return chosen;
}

}  // namespace picture_in::modes
