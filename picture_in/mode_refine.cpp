// The refinement the classic screen's `refined` dither makes, for any field:
// the target and the drawing are both seen through a Gaussian blur, and each
// pixel in turn takes the option of its cell that brings the two closest (a
// direct binary search), flicker priced beside the error. The change one
// pixel makes to the summed squared difference is read from the difference
// filtered by the blur's autocorrelation, kept up to date as pixels change.
// What the field shows outside the screen area is fixed but seen, so the
// screen's edge meets the border as the eye sees them together.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "picture_in/mode_parts.h"

namespace picture_in::modes {
namespace {

constexpr int Passes = 8;
// Rounds of trying every cell's alternatives, each followed by the passes
// over the pixels: a second gains 0.3 dB with 8 x 1 cells, a third 0.04.
constexpr int CellRounds = 2;

// The blur's autocorrelation along one axis: its taps against each other.
std::vector<float> Autocorrelation(float sigma) {
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    const int reach = 2 * radius;
    std::vector<double> taps(2 * radius + 1);
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += taps[i + radius] = std::exp(-i * i / (2.0 * sigma * sigma));
    std::vector<float> out(2 * reach + 1);
    for (int shift = -reach; shift <= reach; ++shift) {
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            if (i + shift >= -radius && i + shift <= radius)
                sum += taps[i + radius] * taps[i + shift + radius];
        out[shift + reach] = static_cast<float>(sum / (total * total));
    }
    return out;
}

float Dot(LinearRgb a, LinearRgb b) { return a.red * b.red + a.green * b.green + a.blue * b.blue; }
LinearRgb Scaled(LinearRgb v) {
    const float length = std::sqrt(Dot(v, v));
    return {v.red / length, v.green / length, v.blue / length};
}
LinearRgb Minus(LinearRgb a, LinearRgb b) { return {a.red - b.red, a.green - b.green, a.blue - b.blue}; }

// Differences are held in an orthonormal basis of linear RGB whose first
// axis is luminance's direction, the other two carrying colour alone; each
// is seen through its own blur, colour's the wider: the eye resolves
// changes of lightness more finely than changes of colour. Lengths are
// those of linear RGB, so with equal blurs this is the plain blur of each
// channel.
using Basis = std::array<LinearRgb, 3>;

Basis LuminanceBasis() {
    const LinearRgb u = Scaled(LinearRgb{0.2126f, 0.7152f, 0.0722f});
    const LinearRgb c1 = Scaled(LinearRgb{u.green, -u.red, 0});  // across u, without blue
    const LinearRgb c2{u.green * c1.blue - u.blue * c1.green, u.blue * c1.red - u.red * c1.blue,
                       u.red * c1.green - u.green * c1.red};
    return {u, c1, c2};
}

class EyeModel {
public:
    EyeModel(const PixelProblem& problem, const std::vector<std::uint8_t>& chosen)
        : rx_(Reach(problem.sigmaX, problem.chroma)), ry_(Reach(problem.sigmaY, problem.chroma)),
          width_(problem.fieldWidth + 2 * rx_),
          filtered_(static_cast<std::size_t>(width_) * (problem.fieldHeight + 2 * ry_)) {
        Kernels(problem.sigmaX, problem.chroma, rx_, cx_);
        Kernels(problem.sigmaY, problem.chroma, ry_, cy_);
        std::vector<LinearRgb> rows(filtered_.size());
        const Area& area = problem.area;
        for (int y = 0; y < problem.fieldHeight; ++y)
            for (int x = 0; x < problem.fieldWidth; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * problem.fieldWidth + x;
                const int ax = x - problem.left, ay = y - problem.top;
                LinearRgb shown;
                if (ax >= 0 && ax < area.width && ay >= 0 && ay < area.height)
                    shown =
                        problem.cells[area.CellOf(ax, ay)].seen[chosen[static_cast<std::size_t>(ay) * area.width + ax]];
                else if (!problem.outside.empty())
                    shown = problem.outside[i];
                else
                    continue;
                const LinearRgb d = Rotated(Minus(shown, problem.field[i]));
                for (int k = -rx_; k <= rx_; ++k)
                    AddEach(rows[At(x + k, y)], cx_[k + rx_], d);
            }
        for (int y = 0; y < problem.fieldHeight; ++y)
            for (int x = -rx_; x < problem.fieldWidth + rx_; ++x)
                for (int k = -ry_; k <= ry_; ++k)
                    AddEach(filtered_[At(x, y + k)], cy_[k + ry_], rows[At(x, y)]);
    }

    LinearRgb Rotated(LinearRgb v) const { return {Dot(basis_[0], v), Dot(basis_[1], v), Dot(basis_[2], v)}; }

    // What changing pixel (x, y) by `step` (in RGB) does to the summed squared difference.
    float Gain(int x, int y, LinearRgb step) const { return GainRotated(x, y, Rotated(step)); }
    float GainRotated(int x, int y, LinearRgb r) const {
        const LinearRgb w{cx_[rx_].red * cy_[ry_].red, cx_[rx_].green * cy_[ry_].green, cx_[rx_].blue * cy_[ry_].blue};
        return 2 * Dot(r, filtered_[At(x, y)]) + w.red * r.red * r.red + w.green * r.green * r.green +
               w.blue * r.blue * r.blue;
    }
    void Apply(int x, int y, LinearRgb step) {
        const LinearRgb r = Rotated(step);
        for (int dy = -ry_; dy <= ry_; ++dy) {
            LinearRgb* row = &filtered_[At(x - rx_, y + dy)];
            const LinearRgb wy = cy_[dy + ry_];
            const LinearRgb s{wy.red * r.red, wy.green * r.green, wy.blue * r.blue};
            for (int dx = 0; dx <= 2 * rx_; ++dx)
                AddEach(row[dx], cx_[dx], s);
        }
    }

    // The same for steps already Rotated: the part of one change alone that
    // the others leave.
    float Alone(int x, int y, LinearRgb rotated) const { return 2 * Dot(rotated, filtered_[At(x, y)]); }
    // Each channel's weight of two changes `dx` apart across, `dy` down.
    LinearRgb WeightX(int dx) const { return std::abs(dx) > rx_ ? LinearRgb{} : cx_[dx + rx_]; }
    LinearRgb WeightY(int dy) const { return std::abs(dy) > ry_ ? LinearRgb{} : cy_[dy + ry_]; }

private:
    static int Reach(float sigma, float chroma) {
        return static_cast<int>(Autocorrelation(sigma * std::max(1.f, chroma)).size() / 2);
    }
    // Each channel's autocorrelation along one axis, padded to `reach`.
    static void Kernels(float sigma, float chroma, int reach, std::vector<LinearRgb>& out) {
        out.assign(2 * reach + 1, LinearRgb{});
        const std::vector<float> grey = Autocorrelation(sigma), colour = Autocorrelation(sigma * chroma);
        const int g = static_cast<int>(grey.size() / 2), c = static_cast<int>(colour.size() / 2);
        for (int k = -reach; k <= reach; ++k) {
            out[k + reach].red = std::abs(k) <= g ? grey[k + g] : 0.f;
            out[k + reach].green = out[k + reach].blue = std::abs(k) <= c ? colour[k + c] : 0.f;
        }
    }
    static void AddEach(LinearRgb& to, LinearRgb w, LinearRgb v) {
        to.red += w.red * v.red;
        to.green += w.green * v.green;
        to.blue += w.blue * v.blue;
    }
    std::size_t At(int x, int y) const { return static_cast<std::size_t>(y + ry_) * width_ + x + rx_; }

    Basis basis_ = LuminanceBasis();
    int rx_, ry_;
    std::vector<LinearRgb> cx_, cy_;
    int width_;
    std::vector<LinearRgb> filtered_;
};

int Pass(const PixelProblem& problem, std::vector<std::uint8_t>& chosen, EyeModel& eye) {
    const Area& area = problem.area;
    int changed = 0;
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * area.width + x;
            const CellOptions& options = problem.cells[area.CellOf(x, y)];
            const int now = chosen[i];
            int best = now;
            float bestGain = 0;
            LinearRgb bestStep;
            for (int o = 0; o < options.count; ++o) {
                if (o == now)
                    continue;
                const LinearRgb step = Minus(options.seen[o], options.seen[now]);
                if (step.red == 0 && step.green == 0 && step.blue == 0)
                    continue;
                const float gain = eye.Gain(x + problem.left, y + problem.top, step) +
                                   problem.flickerWeight * (options.flicker[o] - options.flicker[now]);
                if (gain < bestGain) {
                    bestGain = gain;
                    best = o;
                    bestStep = step;
                }
            }
            if (best == now)
                continue;
            chosen[i] = static_cast<std::uint8_t>(best);
            eye.Apply(x + problem.left, y + problem.top, bestStep);
            ++changed;
        }
    return changed;
}

// Two neighbouring pixels changed together where neither change alone helps
// (a light dot and a dark one trading places, which a pixel at a time can
// never reach): on the test pictures 0.6 to 0.9 dB in every mode.
int SwapPass(const PixelProblem& problem, std::vector<std::uint8_t>& chosen, EyeModel& eye) {
    const Area& area = problem.area;
    constexpr int Near[4][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};
    std::array<LinearRgb, 4> weights;  // each channel's cross weight, twice, to each neighbour
    for (int k = 0; k < 4; ++k) {
        const LinearRgb wx = eye.WeightX(Near[k][0]), wy = eye.WeightY(Near[k][1]);
        weights[k] = {2 * wx.red * wy.red, 2 * wx.green * wy.green, 2 * wx.blue * wy.blue};
    }
    int changed = 0;
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * area.width + x;
            const CellOptions& first = problem.cells[area.CellOf(x, y)];
            // Each change of this pixel alone, worked out again after a swap.
            std::array<LinearRgb, 4> stepP, turnedP;
            std::array<float, 4> aloneP;
            auto alone = [&] {
                for (int op = 0; op < first.count; ++op) {
                    stepP[op] = Minus(first.seen[op], first.seen[chosen[i]]);
                    turnedP[op] = eye.Rotated(stepP[op]);
                    aloneP[op] = eye.GainRotated(x + problem.left, y + problem.top, turnedP[op]) +
                                 problem.flickerWeight * (first.flicker[op] - first.flicker[chosen[i]]);
                }
            };
            alone();
            for (int k = 0; k < 4; ++k) {
                const int qx = x + Near[k][0], qy = y + Near[k][1];
                if (qx < 0 || qx >= area.width || qy >= area.height)
                    continue;
                const std::size_t j = static_cast<std::size_t>(qy) * area.width + qx;
                const CellOptions& second = problem.cells[area.CellOf(qx, qy)];
                const int nowQ = chosen[j];
                const LinearRgb w = weights[k];
                float bestGain = 0;
                int bestP = -1, bestQ = -1;
                LinearRgb bestSq;
                for (int oq = 0; oq < second.count; ++oq) {
                    if (oq == nowQ)
                        continue;
                    const LinearRgb sq = Minus(second.seen[oq], second.seen[nowQ]), turnedQ = eye.Rotated(sq);
                    const LinearRgb wq{w.red * turnedQ.red, w.green * turnedQ.green, w.blue * turnedQ.blue};
                    float aloneQ = 0;
                    bool known = false;
                    for (int op = 0; op < first.count; ++op) {
                        // Only steps of opposite senses can help together
                        // where neither helps alone.
                        const float cross = Dot(turnedP[op], wq);
                        if (op == chosen[i] || cross >= 0)
                            continue;
                        if (!known) {
                            aloneQ = eye.GainRotated(qx + problem.left, qy + problem.top, turnedQ) +
                                     problem.flickerWeight * (second.flicker[oq] - second.flicker[nowQ]);
                            known = true;
                        }
                        const float gain = aloneP[op] + aloneQ + cross;
                        if (gain < bestGain) {
                            bestGain = gain;
                            bestP = op, bestQ = oq, bestSq = sq;
                        }
                    }
                }
                if (bestP < 0)
                    continue;
                eye.Apply(x + problem.left, y + problem.top, stepP[bestP]);
                eye.Apply(qx + problem.left, qy + problem.top, bestSq);
                chosen[i] = static_cast<std::uint8_t>(bestP);
                chosen[j] = static_cast<std::uint8_t>(bestQ);
                alone();
                ++changed;
            }
        }
    return changed;
}

// Passes of single changes and of pairs until one changes (almost) nothing.
void Settle(const PixelProblem& problem, std::vector<std::uint8_t>& chosen, EyeModel& eye) {
    for (int pass = 0; pass < Passes; ++pass) {
        // A pass that changes fewer than one pixel in a hundred is the
        // last: on the test pictures the passes after it gain nothing
        // measurable and took a third of the time.
        const int changed = Pass(problem, chosen, eye) + SwapPass(problem, chosen, eye);
        if (changed == 0 || changed * 100 < problem.area.width * problem.area.height)
            break;
    }
}

// What changing a cell's pixels (`at`, field positions, 8 a row) by `steps`
// does to the summed squared difference: each change alone, and each two
// together. The blur is separable in each channel, so the pairs' cross
// terms are summed along the rows first, then down.
float BlockGain(const EyeModel& eye, const std::vector<std::array<int, 2>>& at, const std::vector<LinearRgb>& steps) {
    constexpr int Width = 8;
    const int rows = static_cast<int>(at.size()) / Width;
    std::vector<LinearRgb> rotated(steps.size()), along(steps.size());
    float gain = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        rotated[i] = eye.Rotated(steps[i]);
        gain += eye.Alone(at[i][0], at[i][1], rotated[i]);
    }
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < Width; ++x) {
            LinearRgb sum;
            for (int k = 0; k < Width; ++k) {
                const LinearRgb w = eye.WeightX(x - k), r = rotated[y * Width + k];
                sum.red += w.red * r.red;
                sum.green += w.green * r.green;
                sum.blue += w.blue * r.blue;
            }
            along[y * Width + x] = sum;
        }
    for (int y = 0; y < rows; ++y)
        for (int k = 0; k < rows; ++k) {
            const LinearRgb w = eye.WeightY(y - k);
            LinearRgb sum;
            for (int x = 0; x < Width; ++x) {
                const LinearRgb r = rotated[y * Width + x], a = along[k * Width + x];
                sum.red += r.red * a.red;
                sum.green += r.green * a.green;
                sum.blue += r.blue * a.blue;
            }
            gain += w.red * sum.red + w.green * sum.green + w.blue * sum.blue;
        }
    return gain;
}

int NearestOption(const CellOptions& options, LinearRgb shown) {
    int best = 0;
    for (int o = 1; o < options.count; ++o)
        if (Distance2(options.seen[o], shown) < Distance2(options.seen[best], shown))
            best = o;
    return best;
}

// Cell `cell` to the alternative that lowers the difference most, if any.
void RefitCell(const PixelProblem& problem, std::vector<CellOptions>& cells,
               const std::vector<CellOptions>& alternatives, int cell, std::vector<std::uint8_t>& chosen, int& taken,
               EyeModel& eye) {
    const Area& area = problem.area;
    const CellBox box = area.BoxOf(cell);
    std::vector<std::array<int, 2>> at;
    std::vector<std::size_t> index;
    for (int y = box.y0; y < box.y0 + box.height; ++y)
        for (int x = box.x0; x < box.x0 + 8; ++x) {
            at.push_back({x + problem.left, y + problem.top});
            index.push_back(static_cast<std::size_t>(y) * area.width + x);
        }
    const CellOptions& now = cells[cell];
    float bestGain = 0;
    int best = -1;
    std::vector<LinearRgb> steps(at.size()), bestSteps;
    std::vector<std::uint8_t> options(at.size()), bestOptions;
    for (std::size_t k = 0; k < alternatives.size(); ++k) {
        if (static_cast<int>(k) == taken)
            continue;
        float flicker = 0;
        for (std::size_t i = 0; i < at.size(); ++i) {
            const LinearRgb shown = now.seen[chosen[index[i]]];
            options[i] = static_cast<std::uint8_t>(NearestOption(alternatives[k], shown));
            steps[i] = Minus(alternatives[k].seen[options[i]], shown);
            flicker += alternatives[k].flicker[options[i]] - now.flicker[chosen[index[i]]];
        }
        const float gain = BlockGain(eye, at, steps) + problem.flickerWeight * flicker;
        if (gain < bestGain) {
            bestGain = gain;
            best = static_cast<int>(k);
            bestSteps = steps;
            bestOptions = options;
        }
    }
    if (best < 0)
        return;
    for (std::size_t i = 0; i < at.size(); ++i) {
        chosen[index[i]] = bestOptions[i];
        eye.Apply(at[i][0], at[i][1], bestSteps[i]);
    }
    cells[cell] = alternatives[best];
    taken = best;
}

}  // namespace

void RefineCells(PixelProblem& problem, std::vector<CellOptions>& cells,
                 const std::vector<std::vector<CellOptions>>& alternatives, std::vector<std::uint8_t>& chosen,
                 std::vector<int>& taken) {
    problem.cells = cells;
    taken.assign(cells.size(), 0);
    EyeModel eye(problem, chosen);
    for (int round = 0; round < CellRounds; ++round) {
        for (std::size_t cell = 0; cell < cells.size(); ++cell)
            RefitCell(problem, cells, alternatives[cell], static_cast<int>(cell), chosen, taken[cell], eye);
        Settle(problem, chosen, eye);
    }
}

void Refine(const PixelProblem& problem, std::vector<std::uint8_t>& chosen) {
    EyeModel eye(problem, chosen);
    Settle(problem, chosen, eye);
}

}  // namespace picture_in::modes
