// The refinement the classic screen's `refined` dither makes, for any field:
// the target and the drawing are both seen through a Gaussian blur, and each
// pixel in turn takes the option of its cell that brings the two closest (a
// direct binary search), flicker priced beside the error. The change one
// pixel makes to the summed squared difference is read from the difference
// filtered by the blur's autocorrelation, kept up to date as pixels change.
// What the field shows outside the screen area is fixed but seen, so the
// screen's edge meets the border as the eye sees them together.
#include <cmath>
#include <cstdlib>

#include "picture_in/mode_parts.h"

namespace picture_in::modes {
namespace {

constexpr int Passes = 8;

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

void Add(LinearRgb& to, float w, LinearRgb v) {
    to.red += w * v.red;
    to.green += w * v.green;
    to.blue += w * v.blue;
}
float Dot(LinearRgb a, LinearRgb b) { return a.red * b.red + a.green * b.green + a.blue * b.blue; }
LinearRgb Minus(LinearRgb a, LinearRgb b) { return {a.red - b.red, a.green - b.green, a.blue - b.blue}; }

class EyeModel {
public:
    EyeModel(const PixelProblem& problem, const std::vector<std::uint8_t>& chosen)
        : cx_(Autocorrelation(problem.sigmaX)), cy_(Autocorrelation(problem.sigmaY)),
          rx_(static_cast<int>(cx_.size() / 2)), ry_(static_cast<int>(cy_.size() / 2)),
          width_(problem.fieldWidth + 2 * rx_),
          filtered_(static_cast<std::size_t>(width_) * (problem.fieldHeight + 2 * ry_)) {
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
                const LinearRgb d = Minus(shown, problem.field[i]);
                for (int k = -rx_; k <= rx_; ++k)
                    Add(rows[At(x + k, y)], cx_[k + rx_], d);
            }
        for (int y = 0; y < problem.fieldHeight; ++y)
            for (int x = -rx_; x < problem.fieldWidth + rx_; ++x)
                for (int k = -ry_; k <= ry_; ++k)
                    Add(filtered_[At(x, y + k)], cy_[k + ry_], rows[At(x, y)]);
    }

    float Gain(int x, int y, LinearRgb step) const {
        return 2 * Dot(step, filtered_[At(x, y)]) + cx_[rx_] * cy_[ry_] * Dot(step, step);
    }
    void Apply(int x, int y, LinearRgb step) {
        for (int dy = -ry_; dy <= ry_; ++dy) {
            LinearRgb* row = &filtered_[At(x - rx_, y + dy)];
            const float wy = cy_[dy + ry_];
            for (int dx = 0; dx <= 2 * rx_; ++dx)
                Add(row[dx], wy * cx_[dx], step);
        }
    }

private:
    std::size_t At(int x, int y) const { return static_cast<std::size_t>(y + ry_) * width_ + x + rx_; }

    std::vector<float> cx_, cy_;
    int rx_, ry_;
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

}  // namespace

void Refine(const PixelProblem& problem, std::vector<std::uint8_t>& chosen) {
    EyeModel eye(problem, chosen);
    for (int pass = 0; pass < Passes; ++pass)
        if (Pass(problem, chosen, eye) == 0)
            break;
}

}  // namespace picture_in::modes
