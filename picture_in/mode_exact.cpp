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
#include <iterator>

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
std::vector<Rgb> ColoursOfCell(const Picture& area, modes::CellBox box, std::size_t most) {
    std::vector<Rgb> found;
    for (int y = box.y0; y < box.y0 + box.height; ++y)
        for (int x = box.x0; x < box.x0 + 8; ++x) {
            const Rgb c = area.at(x, y);
            if (std::find(found.begin(), found.end(), c) == found.end()) {
                found.push_back(c);
                if (found.size() > most)
                    return found;
            }
        }
    return found;
}

// How each colour of the table (one frame) or each two (two frames,
// averaged) are drawn, worked out once.
struct Drawn {
    std::array<std::array<Rgb, 16>, 16> mix{};

    Drawn(std::span<const LinearRgb> table, int frames) {
        for (std::size_t x = 0; x < table.size() && x < 16; ++x)
            for (std::size_t y = 0; y < table.size() && y < 16; ++y) {
                const LinearRgb a = table[x], b = frames == 2 ? table[y] : table[x];
                mix[x][y] = SrgbOf({(a.red + b.red) / 2, (a.green + b.green) / 2, (a.blue + b.blue) / 2});
            }
    }
};

// The colours each option of a cell shows: option o takes INK in frame f
// where bit f of o is set.
struct Shown {
    std::array<Rgb, 4> colour;
    int count;
};

Shown ShownBy(const std::array<CellColours, 2>& cell, int frames, const Drawn& drawn) {
    Shown shown{{}, frames == 2 ? 4 : 2};
    for (int o = 0; o < shown.count; ++o) {
        const int x = o & 1 ? cell[0].ink : cell[0].paper;
        const int y = frames == 2 ? (o & 2 ? cell[1].ink : cell[1].paper) : x;
        shown.colour[o] = drawn.mix[x][y];
    }
    return shown;
}

int OptionShowing(const Shown& shown, Rgb c) {
    for (int o = 0; o < shown.count; ++o)
        if (Near(shown.colour[o], c))
            return o;
    return -1;
}

// The cell's colours per frame from the pair list, the first that shows
// every colour of the cell; nothing when none does. Which colour each two
// table colours show is looked up once per cell colour, so that a pair of
// pairs is tried in a few look-ups.
std::optional<std::array<CellColours, 2>> FitCell(const std::vector<Rgb>& colours, int frames,
                                                  std::span<const modes::Pair> pairs, const Drawn& drawn) {
    std::vector<std::array<std::array<bool, 16>, 16>> shows(colours.size());
    for (std::size_t k = 0; k < colours.size(); ++k)
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 16; ++y)
                shows[k][x][y] = Near(drawn.mix[x][y], colours[k]);
    // Whether colour k can come from table colour x in the first frame, or y
    // in the second: a pair that cannot give every colour is passed over.
    std::vector<std::array<bool, 16>> fromFirst(colours.size()), fromSecond(colours.size());
    for (std::size_t k = 0; k < colours.size(); ++k)
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 16; ++y)
                if (shows[k][x][y] && (frames == 2 || x == y)) {
                    fromFirst[k][x] = true;
                    fromSecond[k][y] = true;
                }
    const auto gives = [&](const std::vector<std::array<bool, 16>>& from, const modes::Pair& p) {
        return std::all_of(from.begin(), from.end(), [&](const auto& f) { return f[p.a] || f[p.b]; });
    };
    std::vector<modes::Pair> firsts, seconds;
    std::copy_if(pairs.begin(), pairs.end(), std::back_inserter(firsts), [&](auto p) { return gives(fromFirst, p); });
    if (frames == 2)
        std::copy_if(pairs.begin(), pairs.end(), std::back_inserter(seconds),
                     [&](auto q) { return gives(fromSecond, q); });
    else
        seconds.push_back(pairs.front());
    for (const modes::Pair& p : firsts)
        for (const modes::Pair& q : seconds) {
            const int y0 = frames == 2 ? q.a : -1, y1 = frames == 2 ? q.b : -1;
            const auto all = std::all_of(shows.begin(), shows.end(), [&](const auto& s) {
                return y0 < 0 ? s[p.a][p.a] || s[p.b][p.b] : s[p.a][y0] || s[p.a][y1] || s[p.b][y0] || s[p.b][y1];
            });
            if (all)
                return std::array<CellColours, 2>{CellColours{p.a, p.b}, CellColours{q.a, q.b}};
        }
    return std::nullopt;
}

std::optional<std::uint8_t> GridByte(Rgb c) {
    static const std::array<Rgb, 256> grid = [] {
        std::array<Rgb, 256> colours{};
        for (int grb = 0; grb < 256; ++grb)
            colours[grb] = SrgbOf(modes::UlaPlusColour(static_cast<std::uint8_t>(grb)));
        return colours;
    }();
    const auto at = std::find(grid.begin(), grid.end(), c);
    return at == grid.end() ? std::nullopt : std::optional<std::uint8_t>(static_cast<std::uint8_t>(at - grid.begin()));
}

}  // namespace

ExactResult ExactInMode(const Picture& area, std::span<const LinearRgb> table, ModeShape shape) {
    ExactResult result;
    ModeDrawing drawing;
    drawing.shape = shape;
    drawing.table.assign(table.begin(), table.end());
    const std::vector<modes::Pair> pairs = modes::ClassicPairs(Bright::Auto);
    const Drawn drawn(table, shape.frames);
    const modes::Area cells = modes::AreaOf({}, shape);
    drawing.cells.assign(shape.frames, std::vector<CellColours>(static_cast<std::size_t>(cells.Cells())));
    drawing.ink.assign(shape.frames, std::vector<std::uint8_t>(static_cast<std::size_t>(ScreenWidth) * ScreenHeight));
    // Clashes are named by the cell's column and its row in cells of its own
    // height (in .mg1's middle, the pixel line).
    for (int c = 0; c < cells.Cells(); ++c) {
        const modes::CellBox box = cells.BoxOf(c);
        const std::vector<Rgb> colours = ColoursOfCell(area, box, static_cast<std::size_t>(2 * shape.frames));
        const auto cell = colours.size() <= static_cast<std::size_t>(2 * shape.frames)
                              ? FitCell(colours, shape.frames, pairs, drawn)
                              : std::nullopt;
        if (!cell) {
            result.clashes.push_back(Clash{box.x0 / 8, box.y0 / box.height, colours});
            continue;
        }
        const Shown shown = ShownBy(*cell, shape.frames, drawn);
        for (int f = 0; f < shape.frames; ++f)
            drawing.cells[f][static_cast<std::size_t>(c)] = (*cell)[f];
        for (int y = box.y0; y < box.y0 + box.height; ++y)
            for (int x = box.x0; x < box.x0 + 8; ++x) {
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
            const std::vector<Rgb> colours =
                ColoursOfCell(area, {column * 8, row * shape.cellHeight, shape.cellHeight}, 2);
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
