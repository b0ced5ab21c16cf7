// A ULAplus palette's last steps: the fitted entries rounded to the 256
// colours and each settled among its grid neighbours; and, where several
// fits are tried, each judged by what it draws. The fitting's own measure
// (each pixel's distance to its pair's segment) ranks palettes poorly near
// its end: two it scores alike can draw pictures 0.8 dB apart. The judge
// draws quickly (each cell's best pair, the pixels error-diffused) and
// measures the drawing against the picture under the blurred measure's blur.
#include <algorithm>
#include <cmath>

#include "picture_in/mode_parts.h"

namespace picture_in::modes {
namespace {

constexpr int Settles = 2;

// The cost of the cells that use entry `e` if it were `colour`.
float CostWith(const std::vector<CellBlock>& blocks, const std::vector<std::vector<int>>& users,
               const std::vector<Pair>& chosen, std::array<LinearRgb, 64>& entries, int e, LinearRgb colour) {
    const LinearRgb kept = entries[e];
    entries[e] = colour;
    float cost = 0;
    for (int cell : users[e]) {
        const LinearRgb a = entries[chosen[cell].a], b = entries[chosen[cell].b];
        for (const LinearRgb& p : blocks[cell]) {
            const float t = SegmentShare(p, a, b);
            cost += Distance2(p, LinearRgb{a.red + t * (b.red - a.red), a.green + t * (b.green - a.green),
                                           a.blue + t * (b.blue - a.blue)});
        }
    }
    entries[e] = kept;
    return cost;
}

std::uint8_t Byte(int green, int red, int blue) { return static_cast<std::uint8_t>(green << 5 | red << 2 | blue); }

// Each entry, in turn, the best of the 27 grid colours around it for the
// cells that use it.
void Settle(const Area& area, const std::vector<Pair>& chosen, std::array<std::uint8_t, 64>& palette) {
    std::array<LinearRgb, 64> entries;
    for (int e = 0; e < 64; ++e)
        entries[e] = UlaPlusColour(palette[e]);
    std::vector<std::vector<int>> users(64);
    std::vector<CellBlock> blocks(static_cast<std::size_t>(area.Cells()));
    for (int cell = 0; cell < area.Cells(); ++cell) {
        blocks[cell] = PixelsOf(area, cell);
        users[chosen[cell].a].push_back(cell);
        users[chosen[cell].b].push_back(cell);
    }
    for (int e = 0; e < 64; ++e) {
        if (users[e].empty())
            continue;
        const int g = palette[e] >> 5, r = (palette[e] >> 2) & 7, b = palette[e] & 3;
        float best = CostWith(blocks, users, chosen, entries, e, entries[e]);
        for (int dg = -1; dg <= 1; ++dg)
            for (int dr = -1; dr <= 1; ++dr)
                for (int db = -1; db <= 1; ++db) {
                    if (g + dg < 0 || g + dg > 7 || r + dr < 0 || r + dr > 7 || b + db < 0 || b + db > 3)
                        continue;
                    const std::uint8_t candidate = Byte(g + dg, r + dr, b + db);
                    const float cost = CostWith(blocks, users, chosen, entries, e, UlaPlusColour(candidate));
                    if (cost < best) {
                        best = cost;
                        palette[e] = candidate;
                        entries[e] = UlaPlusColour(candidate);
                    }
                }
    }
}

std::array<std::uint8_t, 64> Rounded(const std::array<LinearRgb, 64>& entries) {
    std::array<LinearRgb, 256> grid;
    for (int grb = 0; grb < 256; ++grb)
        grid[grb] = UlaPlusColour(static_cast<std::uint8_t>(grb));
    std::array<std::uint8_t, 64> palette{};
    for (int i = 0; i < 64; ++i) {
        int best = 0;
        for (int grb = 1; grb < 256; ++grb)
            if (Distance2(entries[i], grid[grb]) < Distance2(entries[i], grid[best]))
                best = grb;
        palette[i] = static_cast<std::uint8_t>(best);
    }
    return palette;
}

std::array<LinearRgb, 64> ColoursOf(const std::array<std::uint8_t, 64>& palette) {
    std::array<LinearRgb, 64> table;
    for (int e = 0; e < 64; ++e)
        table[e] = UlaPlusColour(palette[e]);
    return table;
}

constexpr int Radius = 3;

// Blurred at sigma 1 across and down, the edges repeated.
std::vector<LinearRgb> EyeBlurred(std::span<const LinearRgb> pixels, int width, int height) {
    std::array<float, 2 * Radius + 1> w{};
    float total = 0;
    for (int i = -Radius; i <= Radius; ++i)
        total += w[i + Radius] = std::exp(-0.5f * static_cast<float>(i * i));
    for (float& v : w)
        v /= total;
    std::vector<LinearRgb> across(pixels.size()), out(pixels.size());
    auto blur = [&](std::span<const LinearRgb> from, std::vector<LinearRgb>& to, int dx, int dy) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                LinearRgb sum;
                for (int i = -Radius; i <= Radius; ++i) {
                    const int sx = std::clamp(x + i * dx, 0, width - 1), sy = std::clamp(y + i * dy, 0, height - 1);
                    const LinearRgb p = from[static_cast<std::size_t>(sy) * width + sx];
                    sum.red += w[i + Radius] * p.red;
                    sum.green += w[i + Radius] * p.green;
                    sum.blue += w[i + Radius] * p.blue;
                }
                to[static_cast<std::size_t>(y) * width + x] = sum;
            }
    };
    blur(pixels, across, 1, 0);
    blur(across, out, 0, 1);
    return out;
}

}  // namespace

std::array<std::uint8_t, 64> SettledPalette(const Area& area, const std::array<LinearRgb, 64>& entries,
                                            std::span<const Pair> pairs) {
    std::array<std::uint8_t, 64> palette = Rounded(entries);
    for (int round = 0; round < Settles; ++round)
        Settle(area, ChoosePairs(area, ColoursOf(palette), pairs, PairCost::Mix), palette);
    return palette;
}

PaletteJudge::PaletteJudge(const Area& area)
    : area_(area), blurred_(EyeBlurred(area.pixels, area.width, area.height)) {}

// Each candidate is judged settled, and again after one more settling (on
// the test pictures a third round helps some pictures and harms others).
void PaletteJudge::Consider(const std::array<LinearRgb, 64>& entries, std::span<const Pair> pairs) {
    std::array<std::uint8_t, 64> palette = SettledPalette(area_, entries, pairs);
    for (int more = 0; more < 2; ++more) {
        const std::array<LinearRgb, 64> table = ColoursOf(palette);
        const std::vector<Pair> chosen = ChoosePairs(area_, table, pairs, PairCost::Mix);
        const float error = DrawnError(table, chosen);
        if (error_ < 0 || error < error_) {
            error_ = error;
            best_ = palette;
        }
        if (more == 0)
            Settle(area_, chosen, palette);
    }
}

float PaletteJudge::DrawnError(std::span<const LinearRgb> table, const std::vector<Pair>& chosen) const {
    std::vector<CellOptions> cells;
    cells.reserve(chosen.size());
    for (const Pair& p : chosen) {
        const CellColours colours{p.a, p.b};
        cells.push_back(OptionsOf(table, std::span(&colours, 1)));
    }
    const PixelProblem problem{area_.pixels, area_.width, area_.height, 0, 0, area_, cells, {}, 0};
    const std::vector<std::uint8_t> drawn = ChoosePixels(problem, Dither::FloydSteinberg);
    std::vector<LinearRgb> seen(drawn.size());
    for (int y = 0; y < area_.height; ++y)
        for (int x = 0; x < area_.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * area_.width + x;
            seen[i] = cells[area_.CellOf(x, y)].seen[drawn[i]];
        }
    const std::vector<LinearRgb> blurred = EyeBlurred(seen, area_.width, area_.height);
    double error = 0;
    for (std::size_t i = 0; i < blurred.size(); ++i)
        error += Distance2(blurred[i], blurred_[i]);
    return static_cast<float>(error);
}

}  // namespace picture_in::modes
