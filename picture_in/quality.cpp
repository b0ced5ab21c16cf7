#include "picture_in/quality.h"

#include <algorithm>
#include <cmath>

#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::CellSize;
using screen::ScreenHeight;
using screen::ScreenWidth;

std::size_t At(int x, int y) { return static_cast<std::size_t>(y) * ScreenWidth + x; }

}  // namespace

std::vector<LinearRgb> Blurred(std::span<const LinearRgb> pixels, double sigma) {
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> weights;
    double total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += std::exp(-i * i / (2 * sigma * sigma));
    for (int i = -radius; i <= radius; ++i)
        weights.push_back(static_cast<float>(std::exp(-i * i / (2 * sigma * sigma)) / total));
    auto pass = [&](std::span<const LinearRgb> in, int dx, int dy) {
        std::vector<LinearRgb> out(in.size());
        for (int y = 0; y < ScreenHeight; ++y)
            for (int x = 0; x < ScreenWidth; ++x) {
                LinearRgb sum;
                for (int i = -radius; i <= radius; ++i) {
                    const int sx = std::clamp(x + i * dx, 0, ScreenWidth - 1);
                    const int sy = std::clamp(y + i * dy, 0, ScreenHeight - 1);
                    const LinearRgb p = in[At(sx, sy)];
                    const float w = weights[i + radius];
                    sum.red += w * p.red;
                    sum.green += w * p.green;
                    sum.blue += w * p.blue;
                }
                out[At(x, y)] = sum;
            }
        return out;
    };
    const std::vector<LinearRgb> across = pass(pixels, 1, 0);
    return pass(across, 0, 1);
}

double Psnr(std::span<const LinearRgb> a, std::span<const LinearRgb> b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += Distance2(a[i], b[i]);
    const double mse = sum / (3.0 * a.size());
    return mse == 0 ? 99.0 : 10 * std::log10(1.0 / mse);
}

std::vector<LinearRgb> DrawnLinear(const Drawing& drawing, const ScreenColours& colours) {
    std::vector<LinearRgb> out(drawing.size());
    for (std::size_t i = 0; i < drawing.size(); ++i)
        out[i] = colours.linear[drawing[i]];
    return out;
}

Drawing Yardstick(const Target& target) {
    Drawing nearest(target.pixels.size());
    for (std::size_t i = 0; i < nearest.size(); ++i) {
        int best = 0;
        for (int index = 1; index < 16; ++index)
            if (index != 8 && Distance2(target.pixels[i], target.colours.linear[index]) <
                                  Distance2(target.pixels[i], target.colours.linear[best]))
                best = index;
        nearest[i] = static_cast<std::uint8_t>(best);
    }
    Drawing drawing(nearest.size());
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column) {
            int lit = 0, plain = 0;
            std::array<int, 8> count{};
            for (int y = 0; y < CellSize; ++y)
                for (int x = 0; x < CellSize; ++x) {
                    const int index = nearest[At(column * CellSize + x, row * CellSize + y)];
                    ++count[NumberOf(index)];
                    if (NumberOf(index) != 0)
                        ++(BrightOf(index) ? lit : plain);
                }
            const int bright = lit > plain ? 1 : 0;
            const int first = static_cast<int>(std::max_element(count.begin(), count.end()) - count.begin());
            count[first] = -1;
            const int second = static_cast<int>(std::max_element(count.begin(), count.end()) - count.begin());
            const CellPair pair{ColourIndex(first, bright), ColourIndex(second, bright)};
            for (int y = 0; y < CellSize; ++y)
                for (int x = 0; x < CellSize; ++x) {
                    const std::size_t i = At(column * CellSize + x, row * CellSize + y);
                    drawing[i] = static_cast<std::uint8_t>(Nearer(target.pixels[i], pair, target.colours));
                }
        }
    return drawing;
}

Quality QualityOf(std::span<const LinearRgb> target, const Drawing& drawing, const ScreenColours& colours) {
    const std::vector<LinearRgb> drawn = DrawnLinear(drawing, colours);
    return Quality{Psnr(Blurred(target, 1.0), Blurred(drawn, 1.0)), Psnr(target, drawn)};
}

}  // namespace picture_in
