// S-CIELAB, from Zhang and Wandell's description (1996, the table of filter
// parameters on its page 3): sRGB to CIE XYZ (D65), XYZ to three opponent
// channels, each channel convolved with its filter, a weighted sum of
// Gaussians w exp(-(x^2 + y^2) / s^2) with each Gaussian summing to 1 and
// the weights scaled to sum to 1 (so a flat area keeps its colour and the
// measure is CIELAB's there), spreads s in degrees of visual angle; back to
// XYZ, to CIELAB against the white of sRGB, and the mean of the pixels'
// Delta E 1976. The filters reach half a degree either side, as in the
// authors' own programs; edges are repeated.
#include <algorithm>
#include <array>
#include <cmath>

#include "picture_in/quality.h"

namespace picture_in {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;
using Triple = std::array<double, 3>;

constexpr Matrix SrgbToXyz = {{{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}};
constexpr Matrix XyzToOpponent = {{{0.279, 0.72, -0.107}, {-0.449, 0.29, -0.077}, {0.086, -0.59, 0.501}}};

struct Gaussian {
    double weight;
    double spread;  // degrees
};
// Luminance, red-green, blue-yellow, as published.
const std::vector<Gaussian> Filters[3] = {{{0.921, 0.0283}, {0.105, 0.133}, {-0.108, 4.336}},
                                          {{0.531, 0.0392}, {0.330, 0.494}},
                                          {{0.488, 0.0536}, {0.371, 0.386}}};

Triple Times(const Matrix& m, const Triple& v) {
    Triple out{};
    for (int r = 0; r < 3; ++r)
        out[r] = m[r][0] * v[0] + m[r][1] * v[1] + m[r][2] * v[2];
    return out;
}

Matrix Inverse(const Matrix& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix inverse{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            // The cofactor of (c, r), rows and columns taken cyclically.
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inverse[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return inverse;
}

// One channel of a picture, row by row.
struct Plane {
    int width;
    int height;
    std::vector<double> values;
    double at(int x, int y) const {
        return values[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * width + std::clamp(x, 0, width - 1)];
    }
};

// One Gaussian of `spread` pixels, over `reach` pixels either side (fewer
// where its taps have fallen below e^-16 of the centre's), applied along x
// and then y.
Plane Blurred(const Plane& in, double spread, int reach) {
    reach = std::min(reach, static_cast<int>(std::ceil(4 * spread)));
    std::vector<double> taps;
    double total = 0;
    for (int i = -reach; i <= reach; ++i)
        total += taps.emplace_back(std::exp(-(i * i) / (spread * spread)));
    for (double& tap : taps)
        tap /= total;
    auto pass = [&](const Plane& from, bool across) {
        Plane out{from.width, from.height, std::vector<double>(from.values.size())};
        const int length = across ? from.width : from.height;
        for (int y = 0; y < from.height; ++y)
            for (int x = 0; x < from.width; ++x) {
                const int along = across ? x : y;
                double sum = 0;
                if (along >= reach && along + reach < length) {
                    const std::size_t step = across ? 1 : static_cast<std::size_t>(from.width);
                    const double* p = &from.values[static_cast<std::size_t>(y) * from.width + x] - reach * step;
                    for (const double tap : taps) {
                        sum += tap * *p;
                        p += step;
                    }
                } else {
                    for (int i = -reach; i <= reach; ++i)
                        sum += taps[i + reach] * (across ? from.at(x + i, y) : from.at(x, y + i));
                }
                out.values[static_cast<std::size_t>(y) * from.width + x] = sum;
            }
        return out;
    };
    return pass(pass(in, true), false);
}

double LabF(double t) {
    constexpr double delta = 6.0 / 29;
    return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29;
}

// The picture in CIELAB as the eye sees it.
std::vector<Triple> SeenLab(const Picture& picture, double pixelsPerDegree) {
    std::array<Plane, 3> opponent;
    for (Plane& plane : opponent)
        plane = Plane{picture.width, picture.height, std::vector<double>(picture.pixels.size())};
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const LinearRgb linear = Linear(picture.pixels[i]);
        const Triple o = Times(XyzToOpponent, Times(SrgbToXyz, {linear.red, linear.green, linear.blue}));
        for (int c = 0; c < 3; ++c)
            opponent[c].values[i] = o[c];
    }
    const int reach = std::max(1, static_cast<int>(pixelsPerDegree / 2));
    for (int c = 0; c < 3; ++c) {
        std::vector<double> filtered(picture.pixels.size(), 0.0);
        double weights = 0;
        for (const Gaussian& g : Filters[c])
            weights += g.weight;
        for (const Gaussian& g : Filters[c]) {
            const Plane blurred = Blurred(opponent[c], g.spread * pixelsPerDegree, reach);
            for (std::size_t i = 0; i < filtered.size(); ++i)
                filtered[i] += g.weight / weights * blurred.values[i];
        }
        opponent[c].values = std::move(filtered);
    }
    static const Matrix opponentToXyz = Inverse(XyzToOpponent);
    const Triple white = Times(SrgbToXyz, {1, 1, 1});
    std::vector<Triple> lab(picture.pixels.size());
    for (std::size_t i = 0; i < lab.size(); ++i) {
        const Triple xyz = Times(opponentToXyz, {opponent[0].values[i], opponent[1].values[i], opponent[2].values[i]});
        const double fx = LabF(xyz[0] / white[0]), fy = LabF(xyz[1] / white[1]), fz = LabF(xyz[2] / white[2]);
        lab[i] = {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
    }
    return lab;
}

}  // namespace

double SCielab(const Picture& a, const Picture& b, double pixelsPerDegree) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty())
        return 0;
    const std::vector<Triple> seenA = SeenLab(a, pixelsPerDegree), seenB = SeenLab(b, pixelsPerDegree);
    double sum = 0;
    for (std::size_t i = 0; i < seenA.size(); ++i)
        sum += std::hypot(seenA[i][0] - seenB[i][0], seenA[i][1] - seenB[i][1], seenA[i][2] - seenB[i][2]);
    return sum / static_cast<double>(seenA.size());
}

}  // namespace picture_in
