// The exact optimum for one cell. Each pixel's error against each colour is
// worked out once; a pair's cost is then the sum of the smaller of its two
// columns, in pixel order, so a brute-force search that adds the same terms
// in the same order finds the very same figures.
#include "picture_in/conversion.h"

#include "screen/screen_layout.h"

namespace picture_in {

CellPixels PixelsOfCell(std::span<const LinearRgb> pixels, int column, int row) {
    CellPixels cell;
    for (int y = 0; y < screen::CellSize; ++y)
        for (int x = 0; x < screen::CellSize; ++x)
            cell[y * screen::CellSize + x] =
                pixels[static_cast<std::size_t>(row * screen::CellSize + y) * screen::ScreenWidth +
                       column * screen::CellSize + x];
    return cell;
}

CellPair ExactPair(const CellPixels& cell, const ScreenColours& colours, Bright bright, float* cost) {
    const int firstBright = bright == Bright::Always ? 1 : 0;
    const int lastBright = bright == Bright::Never ? 0 : 1;
    std::array<std::array<float, 64>, 16> error;
    for (int b = firstBright; b <= lastBright; ++b)
        for (int number = 0; number < 8; ++number) {
            const int index = ColourIndex(number, b);
            for (int i = 0; i < 64; ++i)
                error[index][i] = Distance2(cell[i], colours.linear[index]);
        }
    CellPair best;
    float bestCost = 0;
    bool found = false;
    for (int b = firstBright; b <= lastBright; ++b)
        for (int first = 0; first < 8; ++first)
            for (int second = first; second < 8; ++second) {
                const auto& one = error[ColourIndex(first, b)];
                const auto& other = error[ColourIndex(second, b)];
                float sum = 0;
                for (int i = 0; i < 64; ++i)
                    sum += one[i] < other[i] ? one[i] : other[i];
                if (!found || sum < bestCost) {
                    found = true;
                    bestCost = sum;
                    best = CellPair{ColourIndex(first, b), ColourIndex(second, b)};
                }
            }
    if (cost)
        *cost = bestCost;
    return best;
}

Drawing ConvertExact(const Target& target) {
    Drawing drawing(static_cast<std::size_t>(screen::ScreenWidth) * screen::ScreenHeight);
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column) {
            const CellPixels cell = PixelsOfCell(target.pixels, column, row);
            const CellPair pair = ExactPair(cell, target.colours, target.bright);
            for (int i = 0; i < 64; ++i) {
                const int x = column * screen::CellSize + i % screen::CellSize;
                const int y = row * screen::CellSize + i / screen::CellSize;
                drawing[static_cast<std::size_t>(y) * screen::ScreenWidth + x] =
                    static_cast<std::uint8_t>(Nearer(cell[i], pair, target.colours));
            }
        }
    return drawing;
}

}  // namespace picture_in
