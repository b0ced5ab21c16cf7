// Floyd-Steinberg's dots refined against a model of the eye: the picture and
// the drawing are both seen through a Gaussian blur of sigma 1 pixel, and
// each pixel in turn takes its cell's other colour when that brings the two
// blurred pictures closer (a direct binary search). The change one pixel
// makes to the summed squared difference is read from the difference
// filtered by the blur's autocorrelation, kept up to date as pixels change.
// A drawing that is already exact has no difference to reduce and stays.
#include <cmath>
#include <cstdlib>

#include "picture_in/conversion.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::CellColumns;
using screen::CellSize;
using screen::ScreenHeight;
using screen::ScreenWidth;

constexpr double EyeSigma = 1.0;
constexpr int Reach = 6;  // the autocorrelation's radius, 3 sigma of its sqrt(2) sigma rounded up
// Passes over every pixel until one changes nothing: each change lowers the
// error, so the search ends; this only guards against float rounding making
// two changes undo each other. The test pictures need at most 16 (a cap of 8
// left changes that still helped on three of them).
constexpr int Passes = 100;

// The blur's autocorrelation along one axis (it is separable): a Gaussian of
// sigma sqrt(2) sigma, as the sum of the blur's taps against each other.
std::array<float, 2 * Reach + 1> Autocorrelation() {
    constexpr int radius = 3;
    double taps[2 * radius + 1];
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += taps[i + radius] = std::exp(-i * i / (2 * EyeSigma * EyeSigma));
    std::array<float, 2 * Reach + 1> out{};
    for (int shift = -Reach; shift <= Reach; ++shift) {
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            if (i + shift >= -radius && i + shift <= radius)
                sum += taps[i + radius] * taps[i + shift + radius];
        out[shift + Reach] = static_cast<float>(sum / (total * total));
    }
    return out;
}

// The difference between the drawing and the picture, drawn minus wanted,
// filtered by the blur's autocorrelation (with margins), and what changing
// pixels does to its summed square.
class EyeModel {
public:
    EyeModel(const Target& target, const Drawing& drawing) : c_(Autocorrelation()) {
        std::vector<LinearRgb> rows(filtered_.size());
        for (int y = 0; y < ScreenHeight; ++y)
            for (int x = 0; x < ScreenWidth; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
                const LinearRgb d = Minus(target.colours.linear[drawing[i]], target.pixels[i]);
                for (int k = -Reach; k <= Reach; ++k)
                    Add(rows[At(x + k, y)], c_[k + Reach], d);
            }
        for (int y = 0; y < ScreenHeight; ++y)
            for (int x = -Reach; x < ScreenWidth + Reach; ++x)
                for (int k = -Reach; k <= Reach; ++k)
                    Add(filtered_[At(x, y + k)], c_[k + Reach], rows[At(x, y)]);
    }

    // The change in the summed squared difference if pixel (x, y) moved by `step`.
    float Gain(int x, int y, LinearRgb step) const {
        return 2 * Dot(step, filtered_[At(x, y)]) + Weight(0, 0) * Dot(step, step);
    }
    // The cross term of two changes at pixels `dx`, `dy` apart.
    float Weight(int dx, int dy) const {
        return std::abs(dx) > Reach || std::abs(dy) > Reach ? 0.f : c_[dx + Reach] * c_[dy + Reach];
    }
    void Apply(int x, int y, LinearRgb step) {
        for (int dy = -Reach; dy <= Reach; ++dy)
            for (int dx = -Reach; dx <= Reach; ++dx)
                Add(filtered_[At(x + dx, y + dy)], c_[dy + Reach] * c_[dx + Reach], step);
    }

private:
    static constexpr int Width = ScreenWidth + 2 * Reach;
    static std::size_t At(int x, int y) { return static_cast<std::size_t>(y + Reach) * Width + x + Reach; }
    static LinearRgb Minus(LinearRgb a, LinearRgb b) { return {a.red - b.red, a.green - b.green, a.blue - b.blue}; }
    static float Dot(LinearRgb a, LinearRgb b) { return a.red * b.red + a.green * b.green + a.blue * b.blue; }
    static void Add(LinearRgb& to, float w, LinearRgb v) {
        to.red += w * v.red;
        to.green += w * v.green;
        to.blue += w * v.blue;
    }

    std::array<float, 2 * Reach + 1> c_;
    std::vector<LinearRgb> filtered_ =
        std::vector<LinearRgb>(static_cast<std::size_t>(Width) * (ScreenHeight + 2 * Reach));
};

LinearRgb Step(const ScreenColours& colours, int from, int to) {
    const LinearRgb a = colours.linear[from], b = colours.linear[to];
    return {b.red - a.red, b.green - a.green, b.blue - a.blue};
}

// Each pixel in turn takes its cell's other colour where that helps; the
// number of pixels changed.
int PixelPass(const Target& target, const std::vector<CellPair>& pairs, Drawing& drawing, EyeModel& eye) {
    int changed = 0;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
            const CellPair pair = pairs[static_cast<std::size_t>(y / CellSize) * CellColumns + x / CellSize];
            const int now = drawing[i];
            const int other = now == pair.first ? pair.second : pair.first;
            if (other == now)
                continue;
            const LinearRgb step = Step(target.colours, now, other);
            if (eye.Gain(x, y, step) >= 0)
                continue;
            drawing[i] = static_cast<std::uint8_t>(other);
            eye.Apply(x, y, step);
            ++changed;
        }
    return changed;
}

}  // namespace

Drawing ConvertRefined(const Target& target) {
    const std::vector<CellPair> pairs = MixPairs(target);
    Drawing drawing = ConvertDiffused(target, Dither::FloydSteinberg, pairs);
    EyeModel eye(target, drawing);
    for (int pass = 0; pass < Passes; ++pass)
        if (PixelPass(target, pairs, drawing, eye) == 0)
            break;
    return drawing;
}

}  // namespace picture_in
