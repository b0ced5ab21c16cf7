#include "picture_in/mode_convert.h"

#include <algorithm>
#include <cmath>

#include "picture_in/mode_parts.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::ScreenHeight;
using screen::ScreenWidth;

// The price of a unit of flicker (difference in linear luminance between the
// frames) against the summed squared error the eye sees, under
// Flicker::Low. On the test pictures 0.003 takes the mean flicker from 0.21
// (Flicker::Any) to 0.16 for 0.4 dB of blurred PSNR, 0.0015 to 0.17 for
// 0.3 dB; the more colourful photographs stay near 0.23 with 0.003.
constexpr float LowFlickerWeight = 0.003f;

std::vector<LinearRgb> ScreenArea(std::span<const LinearRgb> field, ModeShape shape) {
    if (!shape.border)
        return {field.begin(), field.end()};
    std::vector<LinearRgb> area;
    area.reserve(static_cast<std::size_t>(ScreenWidth) * ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y) {
        const auto row = field.begin() + static_cast<std::ptrdiff_t>(y + BorderTop) * BorderFieldWidth + BorderLeft;
        area.insert(area.end(), row, row + ScreenWidth);
    }
    return area;
}

// What the border shows, over the whole field.
std::vector<LinearRgb> BorderShown(const std::vector<std::uint8_t>& border, const ScreenColours& colours) {
    std::vector<LinearRgb> shown(static_cast<std::size_t>(BorderFieldWidth) * BorderFieldHeight);
    for (std::size_t i = 0; i < shown.size(); ++i)
        shown[i] = colours.linear[border[i / SegmentWidth]];
    return shown;
}

// Fewer pixels of INK than of PAPER in each cell of each frame (so that a
// cell of one colour has no pixel set), where the palette lets INK and
// PAPER trade places.
void Tidy(ModeDrawing& drawing, const modes::Area& area) {
    for (std::size_t f = 0; f < drawing.cells.size(); ++f) {
        std::vector<int> inks(drawing.cells[f].size());
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                inks[area.CellOf(x, y)] += drawing.ink[f][static_cast<std::size_t>(y) * area.width + x];
        std::vector<std::uint8_t> flip(inks.size());
        for (std::size_t c = 0; c < inks.size(); ++c) {
            CellColours& cell = drawing.cells[f][c];
            if (cell.ink == cell.paper)
                flip[c] = 2;  // clear every pixel
            else if (!drawing.shape.ulaplus && 2 * inks[c] > 8 * area.BoxOf(static_cast<int>(c)).height) {
                std::swap(cell.ink, cell.paper);
                flip[c] = 1;
            }
        }
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x) {
                std::uint8_t& bit = drawing.ink[f][static_cast<std::size_t>(y) * area.width + x];
                const std::uint8_t how = flip[area.CellOf(x, y)];
                bit = how == 2 ? 0 : how == 1 ? static_cast<std::uint8_t>(1 - bit) : bit;
            }
    }
}

ModeDrawing ConvertHiRes(std::span<const LinearRgb> field, const ModeOptions& options);

// The cells' pairs put back in play once the pixels are drawn (see
// modes::RefineCells): on the test pictures 0.1 to 0.3 dB.
void RefitCells(ModeDrawing& drawing, modes::PixelProblem& problem, std::vector<modes::CellOptions>& cellOptions,
                const std::vector<std::vector<modes::Pair>>& runnersUp, std::vector<std::uint8_t>& chosen) {
    std::vector<std::vector<modes::CellOptions>> alternatives(runnersUp.size());
    for (std::size_t c = 0; c < runnersUp.size(); ++c)
        for (const modes::Pair& pair : runnersUp[c]) {
            const CellColours colours{pair.a, pair.b};
            alternatives[c].push_back(modes::OptionsOf(drawing.table, std::span(&colours, 1)));
        }
    std::vector<int> taken;
    modes::RefineCells(problem, cellOptions, alternatives, chosen, taken);
    for (std::size_t c = 0; c < runnersUp.size(); ++c)
        drawing.cells[0][c] = CellColours{runnersUp[c][taken[c]].a, runnersUp[c][taken[c]].b};
}

// Pairs of each ULAplus group added to a cell's runners-up: the best of one
// group by the pair's measure can lose to another group's once the pixels
// are drawn (on the test pictures 0.05 dB with 8 x 8 cells; 0.15 dB with
// 8 x 1, not worth a third more time there).
constexpr std::size_t GroupRunnersUp = 3;

// ULAplus: each cell's runners-up widened by the best few pairs of every
// group, so that the cells' refinement judges the groups by the drawing.
void AddGroupRunnersUp(const modes::Area& area, std::span<const LinearRgb> table,
                       std::vector<std::vector<modes::Pair>>& runnersUp) {
    const std::vector<modes::Pair> pairs = modes::UlaPlusPairs();
    constexpr std::size_t Groups = 4;
    const std::size_t perGroup = pairs.size() / Groups;
    for (std::size_t g = 0; g < Groups; ++g) {
        std::vector<std::vector<modes::Pair>> best;
        modes::ChoosePairs(area, table, std::span(pairs).subspan(g * perGroup, perGroup), modes::PairCost::Mix, &best);
        for (std::size_t c = 0; c < best.size(); ++c)
            for (std::size_t i = 0; i < best[c].size() && i < GroupRunnersUp; ++i) {
                const modes::Pair p = best[c][i];
                if (std::none_of(runnersUp[c].begin(), runnersUp[c].end(),
                                 [&](modes::Pair q) { return q.a == p.a && q.b == p.b; }))
                    runnersUp[c].push_back(p);
            }
    }
}

// Whether both frames' pairs are put back in play: refined, and cells of
// 8 lines (on the test pictures 0.1 dB; smaller cells, many more of them,
// would double the time of a conversion already the slowest).
bool RefitsFrames(ModeShape shape, const ModeOptions& options) {
    return options.dither == Dither::Refined && shape.cellHeight == 8 && shape.middleCellHeight == 0;
}

// The same for both frames' pairs together.
void RefitFrames(ModeDrawing& drawing, modes::PixelProblem& problem, std::vector<modes::CellOptions>& cellOptions,
                 const std::vector<std::vector<std::array<modes::Pair, 2>>>& runnersUp,
                 std::vector<std::uint8_t>& chosen) {
    std::vector<std::vector<modes::CellOptions>> alternatives(runnersUp.size());
    for (std::size_t c = 0; c < runnersUp.size(); ++c)
        for (const auto& both : runnersUp[c]) {
            const CellColours frames[2] = {{both[0].a, both[0].b}, {both[1].a, both[1].b}};
            alternatives[c].push_back(modes::OptionsOf(drawing.table, frames));
        }
    std::vector<int> taken;
    modes::RefineCells(problem, cellOptions, alternatives, chosen, taken);
    for (std::size_t c = 0; c < runnersUp.size(); ++c)
        for (int f = 0; f < 2; ++f)
            drawing.cells[f][c] = CellColours{runnersUp[c][taken[c]][f].a, runnersUp[c][taken[c]][f].b};
}

}  // namespace

ModeShape ShapeOf(ModeFile file) {
    switch (file) {
    case ModeFile::Classic: return {};
    case ModeFile::UlaPlus: return {8, 1, true, false, false};
    case ModeFile::TimexHiColour:
    case ModeFile::Mlt:
    case ModeFile::Mc: return {1, 1, false, false, false};
    case ModeFile::TimexHiColourUlaPlus: return {1, 1, true, false, false};
    case ModeFile::TimexHiRes: return {8, 1, false, false, true};
    case ModeFile::Gigascreen:
    case ModeFile::Mg8: return {8, 2, false, false, false};
    case ModeFile::Ifl: return {2, 1, false, false, false};
    case ModeFile::Bsc: return {8, 1, false, true, false};
    case ModeFile::Bmc4: return {4, 1, false, true, false};
    case ModeFile::Mg2: return {2, 2, false, false, false};
    case ModeFile::Mg4: return {4, 2, false, false, false};
    case ModeFile::Mg1: return {8, 2, false, false, false, 1};
    }
    return {};
}

int FieldWidth(ModeShape shape) { return shape.hires ? HiResWidth : shape.border ? BorderFieldWidth : ScreenWidth; }
int FieldHeight(ModeShape shape) { return shape.border ? BorderFieldHeight : ScreenHeight; }

ModeDrawing ConvertToMode(std::span<const LinearRgb> field, const ScreenColours& colours, ModeShape shape,
                          const ModeOptions& options) {
    if (shape.hires)
        return ConvertHiRes(field, options);
    ModeDrawing drawing;
    drawing.shape = shape;
    const std::vector<LinearRgb> pixels = ScreenArea(field, shape);
    const modes::Area area = modes::AreaOf(pixels, shape);
    std::vector<modes::Pair> pairs;
    if (shape.ulaplus) {
        drawing.palette = modes::ChoosePalette(area);
        for (std::uint8_t grb : drawing.palette)
            drawing.table.push_back(modes::UlaPlusColour(grb));
        pairs = modes::UlaPlusPairs();
    } else {
        drawing.table.assign(colours.linear.begin(), colours.linear.end());
        pairs = modes::ClassicPairs(options.bright);
    }
    const float flickerWeight = shape.frames == 2 && options.flicker == Flicker::Low ? LowFlickerWeight : 0.f;
    std::vector<std::vector<modes::Pair>> runnersUp;  // refined, one frame: the pairs each cell may yet take
    std::vector<std::vector<std::array<modes::Pair, 2>>> frameRunnersUp;  // refined, two frames
    drawing.cells.assign(shape.frames, std::vector<CellColours>(static_cast<std::size_t>(area.Cells())));
    if (shape.frames == 2) {
        const auto chosen = modes::ChooseFramePairs(area, drawing.table, pairs, flickerWeight,
                                                    RefitsFrames(shape, options) ? &frameRunnersUp : nullptr);
        for (std::size_t c = 0; c < chosen.size(); ++c)
            for (int f = 0; f < 2; ++f) {
                const modes::Pair pair = frameRunnersUp.empty() ? chosen[c][f] : frameRunnersUp[c].front()[f];
                drawing.cells[f][c] = CellColours{pair.a, pair.b};
            }
    } else {
        const auto chosen =
            modes::ChoosePairs(area, drawing.table, pairs,
                               options.dither == Dither::None ? modes::PairCost::Nearest : modes::PairCost::Mix,
                               options.dither == Dither::Refined ? &runnersUp : nullptr);
        if (shape.ulaplus && shape.cellHeight == 8 && !runnersUp.empty())
            AddGroupRunnersUp(area, drawing.table, runnersUp);
        for (std::size_t c = 0; c < chosen.size(); ++c) {
            const modes::Pair pair = runnersUp.empty() ? chosen[c] : runnersUp[c].front();
            drawing.cells[0][c] = CellColours{pair.a, pair.b};
        }
    }
    std::vector<modes::CellOptions> cellOptions;
    for (std::size_t c = 0; c < drawing.cells[0].size(); ++c) {
        CellColours frames[2] = {drawing.cells[0][c], shape.frames == 2 ? drawing.cells[1][c] : CellColours{}};
        cellOptions.push_back(modes::OptionsOf(drawing.table, std::span(frames, shape.frames)));
    }
    std::vector<LinearRgb> outside;
    if (shape.border) {
        drawing.border = modes::ChooseBorder(field, colours, options.dither);
        outside = BorderShown(drawing.border, colours);
    }
    modes::PixelProblem problem{field,
                                FieldWidth(shape),
                                FieldHeight(shape),
                                shape.border ? BorderLeft : 0,
                                shape.border ? BorderTop : 0,
                                area,
                                cellOptions,
                                outside,
                                flickerWeight};
    std::vector<std::uint8_t> chosen = modes::ChoosePixels(problem, options.dither);
    if (!runnersUp.empty())
        RefitCells(drawing, problem, cellOptions, runnersUp, chosen);
    if (!frameRunnersUp.empty())
        RefitFrames(drawing, problem, cellOptions, frameRunnersUp, chosen);
    drawing.ink.assign(shape.frames, std::vector<std::uint8_t>(chosen.size()));
    for (std::size_t i = 0; i < chosen.size(); ++i)
        for (int f = 0; f < shape.frames; ++f)
            drawing.ink[f][i] = static_cast<std::uint8_t>((chosen[i] >> f) & 1);
    Tidy(drawing, area);
    return drawing;
}

namespace {

// Timex hi-res: one INK for the whole picture at the full level, PAPER its
// complement; the pair whose mixes lie nearest the picture, then the pixels
// dithered under a blur twice as wide as it is high (the pixels are half as
// wide as they are high).
ModeDrawing ConvertHiRes(std::span<const LinearRgb> field, const ModeOptions& options) {
    ModeDrawing drawing;
    drawing.shape = ShapeOf(ModeFile::TimexHiRes);
    auto pairOf = [](int number) {
        const LinearRgb ink{number & 2 ? 1.f : 0.f, number & 4 ? 1.f : 0.f, number & 1 ? 1.f : 0.f};
        return std::array<LinearRgb, 2>{LinearRgb{1 - ink.red, 1 - ink.green, 1 - ink.blue}, ink};
    };
    double bestCost = -1;
    for (int number = 0; number < 8; ++number) {
        const auto [paper, ink] = pairOf(number);
        const LinearRgb d{ink.red - paper.red, ink.green - paper.green, ink.blue - paper.blue};
        const float dd = d.red * d.red + d.green * d.green + d.blue * d.blue;
        double cost = 0;
        for (const LinearRgb& p : field) {
            const float t = std::clamp(
                ((p.red - paper.red) * d.red + (p.green - paper.green) * d.green + (p.blue - paper.blue) * d.blue) / dd,
                0.f, 1.f);
            cost += Distance2(p, LinearRgb{paper.red + t * d.red, paper.green + t * d.green, paper.blue + t * d.blue});
        }
        if (bestCost < 0 || cost < bestCost) {
            bestCost = cost;
            drawing.hiresInk = static_cast<std::uint8_t>(number);
        }
    }
    const auto [paper, ink] = pairOf(drawing.hiresInk);
    drawing.table = {paper, ink};
    const modes::Area area{field, HiResWidth, ScreenHeight, ScreenHeight};
    drawing.cells.assign(1, std::vector<CellColours>(static_cast<std::size_t>(area.Cells()), CellColours{0, 1}));
    const std::vector<modes::CellOptions> cellOptions(
        static_cast<std::size_t>(area.Cells()), modes::OptionsOf(drawing.table, std::span(drawing.cells[0]).first(1)));
    modes::PixelProblem problem{field, HiResWidth, ScreenHeight, 0, 0, area, cellOptions, {}, 0.f, 2.f, 1.f};
    drawing.ink.assign(1, modes::ChoosePixels(problem, options.dither));
    return drawing;
}

}  // namespace

std::vector<LinearRgb> SeenOf(const ModeDrawing& drawing, const ScreenColours& colours) {
    const ModeShape shape = drawing.shape;
    const int width = FieldWidth(shape);
    std::vector<LinearRgb> seen = shape.border ? BorderShown(drawing.border, colours)
                                               : std::vector<LinearRgb>(static_cast<std::size_t>(width) * ScreenHeight);
    const int areaWidth = shape.hires ? HiResWidth : ScreenWidth;
    const int left = shape.border ? BorderLeft : 0, top = shape.border ? BorderTop : 0;
    const modes::Area area =
        shape.hires ? modes::Area{{}, HiResWidth, ScreenHeight, ScreenHeight} : modes::AreaOf({}, shape);
    const float frames = static_cast<float>(drawing.ink.size());
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < areaWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * areaWidth + x;
            const std::size_t cell = static_cast<std::size_t>(area.CellOf(x, y));
            LinearRgb sum;
            for (std::size_t f = 0; f < drawing.ink.size(); ++f) {
                const CellColours c = drawing.cells[f][cell];
                const LinearRgb shown = drawing.table[drawing.ink[f][i] ? c.ink : c.paper];
                sum.red += shown.red / frames;
                sum.green += shown.green / frames;
                sum.blue += shown.blue / frames;
            }
            seen[static_cast<std::size_t>(y + top) * width + x + left] = sum;
        }
    return seen;
}

double MeanFlicker(const ModeDrawing& drawing, const ScreenColours&) {
    if (drawing.ink.size() != 2)
        return 0;
    const modes::Area area = modes::AreaOf({}, drawing.shape);
    double sum = 0;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
            const std::size_t cell = static_cast<std::size_t>(area.CellOf(x, y));
            float luminance[2];
            for (int f = 0; f < 2; ++f) {
                const CellColours c = drawing.cells[f][cell];
                luminance[f] = Luminance(drawing.table[drawing.ink[f][i] ? c.ink : c.paper]);
            }
            sum += std::abs(luminance[0] - luminance[1]);
        }
    return sum / (static_cast<double>(ScreenWidth) * ScreenHeight);
}

}  // namespace picture_in
