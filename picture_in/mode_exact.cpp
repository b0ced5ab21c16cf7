// A picture a mode shows exactly, written back as the mode's own drawing:
// every cell's colours (per frame) found among what the cell may take, the
// ULAplus palette packed from the colours the cells use, the border read
// segment by segment. The colours are compared as drawn: a Spectrum colour
// in the palette's levels, a ULAplus colour in its own, two frames as their
// average in linear light rounded to the nearest level (a level either way
// is taken as the same, so a drawing that rounds otherwise still matches).
#include "picture_in/mode_exact.h"

#include <algorithm>
#include <cstdlib>

#include "picture_in/mode_parts.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::ScreenHeight;
using screen::ScreenWidth;

bool Near(Rgb a, Rgb b) {
    return std::abs(a.red - b.red) <= 1 && std::abs(a.green - b.green) <= 1 && std::abs(a.blue - b.blue) <= 1;
}

Rgb SrgbOf(LinearRgb c) { return Rgb{SrgbLevel(c.red), SrgbLevel(c.green), SrgbLevel(c.blue)}; }

// The distinct colours of a cell in the order met, at most `most` (one more
// tells that there are too many).
std::vector<Rgb> ColoursOfCell(const Picture& area, int column, int row, int cellHeight, std::size_t most) {
    std::vector<Rgb> found;
    for (int y = row * cellHeight; y < (row + 1) * cellHeight; ++y)
        for (int x = column * 8; x < column * 8 + 8; ++x) {
            const Rgb c = area.at(x, y);
            if (std::find(found.begin(), found.end(), c) == found.end()) {
                found.push_back(c);
                if (found.size() > most)
                    return found;
            }
        }
    return found;
}

// The colours each option of a cell shows, as drawn.
struct Shown {
    std::array<Rgb, 4> colour;
    int count;
};

Shown ShownBy(std::span<const CellColours> frames, std::span<const LinearRgb> table) {
    Shown shown{{}, frames.size() == 2 ? 4 : 2};
    for (int o = 0; o < shown.count; ++o) {
        LinearRgb sum;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const LinearRgb c = table[(o >> f) & 1 ? frames[f].ink : frames[f].paper];
            sum.red += c.red / static_cast<float>(frames.size());
            sum.green += c.green / static_cast<float>(frames.size());
            sum.blue += c.blue / static_cast<float>(frames.size());
        }
        shown.colour[o] = SrgbOf(sum);
    }
    return shown;
}

int OptionShowing(const Shown& shown, Rgb c) {
    for (int o = 0; o < shown.count; ++o)
        if (Near(shown.colour[o], c))
            return o;
    return -1;
}

bool Covers(const Shown& shown, const std::vector<Rgb>& colours) {
    return std::all_of(colours.begin(), colours.end(), [&](Rgb c) { return OptionShowing(shown, c) >= 0; });
}

// The cell's colours per frame from the pair list, the first that shows
// every colour of the cell; nothing when none does.
std::optional<std::array<CellColours, 2>> FitCell(const std::vector<Rgb>& colours, int frames,
                                                  std::span<const modes::Pair> pairs,
                                                  std::span<const LinearRgb> table) {
    for (const modes::Pair& p : pairs)
        for (const modes::Pair& q : frames == 2 ? pairs : pairs.first(1)) {
            const std::array<CellColours, 2> cell{CellColours{p.a, p.b}, CellColours{q.a, q.b}};
            if (Covers(ShownBy(std::span(cell).first(frames), table), colours))
                return cell;
        }
    return std::nullopt;
}

std::optional<std::uint8_t> GridByte(Rgb c) {
    for (int grb = 0; grb < 256; ++grb)
        if (SrgbOf(modes::UlaPlusColour(static_cast<std::uint8_t>(grb))) == c)
            return static_cast<std::uint8_t>(grb);
    return std::nullopt;
}

}  // namespace

ExactResult ExactInMode(const Picture& area, std::span<const LinearRgb> table, ModeShape shape) {
    ExactResult result;
    ModeDrawing drawing;
    drawing.shape = shape;
    drawing.table.assign(table.begin(), table.end());
    const std::vector<modes::Pair> pairs = modes::ClassicPairs(Bright::Auto);
    const int rows = ScreenHeight / shape.cellHeight, columns = ScreenWidth / 8;
    drawing.cells.assign(shape.frames, std::vector<CellColours>(static_cast<std::size_t>(rows) * columns));
    drawing.ink.assign(shape.frames, std::vector<std::uint8_t>(static_cast<std::size_t>(ScreenWidth) * ScreenHeight));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const std::vector<Rgb> colours =
                ColoursOfCell(area, column, row, shape.cellHeight, static_cast<std::size_t>(2 * shape.frames));
            const auto cell = colours.size() <= static_cast<std::size_t>(2 * shape.frames)
                                  ? FitCell(colours, shape.frames, pairs, table)
                                  : std::nullopt;
            if (!cell) {
                result.clashes.push_back(Clash{column, row, colours});
                continue;
            }
            const Shown shown = ShownBy(std::span(*cell).first(shape.frames), table);
            for (int f = 0; f < shape.frames; ++f)
                drawing.cells[f][static_cast<std::size_t>(row) * columns + column] = (*cell)[f];
            for (int y = row * shape.cellHeight; y < (row + 1) * shape.cellHeight; ++y)
                for (int x = column * 8; x < column * 8 + 8; ++x) {
                    const int o = OptionShowing(shown, area.at(x, y));
                    for (int f = 0; f < shape.frames; ++f)
                        drawing.ink[f][static_cast<std::size_t>(y) * ScreenWidth + x] =
                            static_cast<std::uint8_t>((o >> f) & 1);
                }
        }
    if (result.clashes.empty())
        result.drawing = std::move(drawing);
    return result;
}

ExactResult ExactUlaPlus(const Picture& area, ModeShape shape) {
    ExactResult result;
    const int rows = ScreenHeight / shape.cellHeight, columns = ScreenWidth / 8;
    // Each cell's colours as palette bytes, the lower first.
    std::vector<std::array<std::uint8_t, 2>> wanted(static_cast<std::size_t>(rows) * columns);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const std::vector<Rgb> colours = ColoursOfCell(area, column, row, shape.cellHeight, 2);
            std::vector<std::uint8_t> bytes;
            for (Rgb c : colours)
                if (const auto grb = GridByte(c))
                    bytes.push_back(*grb);
            if (colours.size() > 2 || bytes.size() != colours.size()) {
                result.clashes.push_back(Clash{column, row, colours});
                continue;
            }
            wanted[static_cast<std::size_t>(row) * columns + column] = {bytes.front(), bytes.back()};
        }
    if (!result.clashes.empty())
        return result;
    std::optional<ModeDrawing> packed = PackUlaPlus(wanted, shape);
    if (!packed) {
        result.clashes.push_back(Clash{0, 0, {}});
        result.tooManyColours = true;
        return result;
    }
    ModeDrawing& drawing = *packed;
    drawing.ink.assign(1, std::vector<std::uint8_t>(static_cast<std::size_t>(ScreenWidth) * ScreenHeight));
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            const CellColours cell = drawing.cells[0][static_cast<std::size_t>(y / shape.cellHeight) * columns + x / 8];
            drawing.ink[0][static_cast<std::size_t>(y) * ScreenWidth + x] =
                SrgbOf(drawing.table[cell.ink]) == area.at(x, y) ? 1 : 0;
        }
    result.drawing = std::move(drawing);
    return result;
}

}  // namespace picture_in
