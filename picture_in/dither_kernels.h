#pragma once
// The dithers' own numbers, shared by the classic screen's conversion and the
// richer modes': the error-diffusion kernels and the ordered dither's matrix.

namespace picture_in {

// A share of a pixel's error, handed to the pixel (dx, dy) away.
struct Tap {
    int dx;
    int dy;
    float weight;
};

constexpr Tap FloydSteinberg[] = {{1, 0, 7 / 16.f}, {-1, 1, 3 / 16.f}, {0, 1, 5 / 16.f}, {1, 1, 1 / 16.f}};
constexpr Tap Jarvis[] = {{1, 0, 7 / 48.f},  {2, 0, 5 / 48.f}, {-2, 1, 3 / 48.f}, {-1, 1, 5 / 48.f},
                          {0, 1, 7 / 48.f},  {1, 1, 5 / 48.f}, {2, 1, 3 / 48.f},  {-2, 2, 1 / 48.f},
                          {-1, 2, 3 / 48.f}, {0, 2, 5 / 48.f}, {1, 2, 3 / 48.f},  {2, 2, 1 / 48.f}};

// Element (x, y) of the recursive Bayer matrix of side 8: 0..63, each once.
constexpr int BayerRank(int x, int y) {
    int rank = 0;
    // The finest bit is the most significant digit, so neighbours are far
    // apart in rank.
    for (int bit = 1; bit <= 4; bit *= 2) {
        const int q = (x & bit ? 1 : 0) ^ (y & bit ? 1 : 0);
        rank = rank * 4 + (q ? 2 : 0) + (y & bit ? 1 : 0);
    }
    return rank;
}

}  // namespace picture_in
