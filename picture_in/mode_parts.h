#pragma once
// The parts the mode converter is built from: the choice of each cell's
// colours per frame, and the choice of each pixel among what its cell can
// show. Internal to picture_in.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "picture_in/conversion.h"
#include "picture_in/mode_convert.h"

namespace picture_in::modes {

// Two colours of one frame's cell, as indices into a colour table; the order
// carries no meaning.
struct Pair {
    std::uint8_t a = 0;
    std::uint8_t b = 0;
};

// The pairs the classic attribute allows under `bright`: two colours of one
// brightness (black in both).
std::vector<Pair> ClassicPairs(Bright bright);
// The pairs a ULAplus palette allows: an INK and a PAPER of one group.
std::vector<Pair> UlaPlusPairs();

// Where a cell lies: its top-left pixel and its height (cells are 8 wide).
struct CellBox {
    int x0 = 0;
    int y0 = 0;
    int height = 8;
};

// The screen area of the field: its pixels and how its cells lie. Cells are
// 8 pixels wide and cellHeight high, row by row; a mode whose middle
// columns have cells of another height (MultiArtist's mode 1: 8 x 1 there,
// 8 x 8 at the sides) lists the middle's cells first, row by row, then the
// sides' cells, row by row, as its file holds them.
struct Area {
    std::span<const LinearRgb> pixels;  // width x height, row by row
    int width = 0;
    int height = 0;
    int cellHeight = 8;    // of every cell, or of the cells beside the middle columns
    int middleHeight = 0;  // of the middle columns' cells; 0 when they are like the rest
    int middleFirst = 0;   // the middle columns, when middleHeight is set
    int middleColumns = 0;

    int Columns() const { return width / 8; }
    int Rows() const { return height / cellHeight; }
    int MiddleCells() const { return middleHeight ? middleColumns * (height / middleHeight) : 0; }
    int Cells() const { return MiddleCells() + (Columns() - (middleHeight ? middleColumns : 0)) * Rows(); }
    int CellOf(int x, int y) const {
        const int column = x / 8;
        if (!middleHeight)
            return (y / cellHeight) * Columns() + column;
        if (column >= middleFirst && column < middleFirst + middleColumns)
            return (y / middleHeight) * middleColumns + column - middleFirst;
        const int side = column < middleFirst ? column : column - middleColumns;
        return MiddleCells() + (y / cellHeight) * (Columns() - middleColumns) + side;
    }
    CellBox BoxOf(int cell) const {
        if (cell < MiddleCells())
            return {(middleFirst + cell % middleColumns) * 8, (cell / middleColumns) * middleHeight, middleHeight};
        cell -= MiddleCells();
        const int sideColumns = Columns() - (middleHeight ? middleColumns : 0);
        const int side = cell % sideColumns;
        const int column = middleHeight && side >= middleFirst ? side + middleColumns : side;
        return {column * 8, (cell / sideColumns) * cellHeight, cellHeight};
    }
};

// The screen area of a mode whose shape is `shape` (not Timex hi-res).
Area AreaOf(std::span<const LinearRgb> pixels, ModeShape shape);

// A cell's pixels gathered: their count, sum and sum of outer products.
struct CellSums {
    float n = 0;
    float s[3] = {};
    float ss[3][3] = {};
};
CellSums SumsOf(const Area& area, int cell);

// A cell's pixels, row by row (cells of at most 8 lines).
struct CellBlock {
    std::array<LinearRgb, 64> pixels;
    int count = 0;
    const LinearRgb* begin() const { return pixels.data(); }
    const LinearRgb* end() const { return pixels.data() + count; }
    std::span<const LinearRgb> Span() const { return {pixels.data(), static_cast<std::size_t>(count)}; }
};
CellBlock PixelsOf(const Area& area, int cell);

// How a cell's pair is judged: by what a dither of its two colours can
// show (the distance to the segment between them), or by the nearer colour
// alone (no dither).
enum class PairCost { Mix, Nearest };

// The price of the dither's noise in a pair's cost: a pixel a share t of the
// way between two colours a distance d apart is drawn as a dither whose
// noise, t (1 - t) d squared, the eye's blur mostly but not wholly removes;
// without it a cell would take the widest pair that spans its pixels.
// Measured on the test pictures: 0.005 to 0.02 all gain about 0.3 dB in
// the multicolour modes over none at all (which leaves ties among the pairs
// that span a cell to the order of the list), more loses.
inline float DitherNoise() { return 0.01f; }

// Each cell's best pair, row by row; with `runnersUp`, each cell's few best
// pairs too, the best first; with `total`, the sum of the chosen pairs' costs.
std::vector<Pair> ChoosePairs(const Area& area, std::span<const LinearRgb> table, std::span<const Pair> pairs,
                              PairCost cost, std::vector<std::vector<Pair>>* runnersUp = nullptr,
                              float* total = nullptr);

// Each cell's pair in each of two frames, seen as their average;
// `flickerWeight` prices the difference in luminance of the two frames.
// With `runnersUp`, each cell's few best pairs of pairs too, the best first.
std::vector<std::array<Pair, 2>> ChooseFramePairs(const Area& area, std::span<const LinearRgb> table,
                                                  std::span<const Pair> pairs, float flickerWeight,
                                                  std::vector<std::vector<std::array<Pair, 2>>>* runnersUp = nullptr);

// What a cell can show: option o draws INK in frame f where bit f of o is
// set; `seen` is the frames' average, `flicker` their difference in
// luminance.
struct CellOptions {
    std::array<LinearRgb, 4> seen{};
    std::array<float, 4> flicker{};
    int count = 2;
};

CellOptions OptionsOf(std::span<const LinearRgb> table, std::span<const CellColours> frames);

// The pixel choice: the field (target), where the screen area lies in it,
// what the field outside that area shows, and each cell's options.
struct PixelProblem {
    std::span<const LinearRgb> field;
    int fieldWidth = 0;
    int fieldHeight = 0;
    int left = 0;
    int top = 0;
    Area area;
    std::span<const CellOptions> cells;
    std::span<const LinearRgb> outside;  // field-sized; read only outside the area (empty when none)
    float flickerWeight = 0;
    // The eye's blur of lightness in pixels, across and down, and that of
    // colour against it. Lightness's is narrower than the sigma 1 the
    // blurred PSNR uses: at sigma 1 the refinement builds patterns of dots
    // the eye (and S-CIELAB, whose lightness blur is about 0.6) still sees,
    // and in colour its wider blur averages the dots. On the test pictures
    // 0.75 and 1.33 give up 0.1 to 0.2 dB of blurred PSNR in the one-frame
    // modes and lower S-CIELAB by 0.5 to 1.2 in each, below the classic
    // screen's on every picture (at sigma 1 for all, five cells of the
    // table were above it).
    float sigmaX = 0.75f;
    float sigmaY = 0.75f;
    float chroma = 1.33f;
};

// The option each pixel of the area takes, row by row over the area.
std::vector<std::uint8_t> ChoosePixels(const PixelProblem& problem, Dither dither);

// The refinement of a drawing against the eye's blur (part of ChoosePixels
// under Dither::Refined), exposed for the border and hi-res pictures.
void Refine(const PixelProblem& problem, std::vector<std::uint8_t>& chosen);

// The refinement with the cells' colours in play: each cell in turn tries
// each of its `alternatives` (the option sets it may take instead), every
// pixel of the cell taking the alternative's option nearest what it shows
// now, and keeps the one that brings the eye's picture closest; then the
// pixels are refined again. `taken` receives each cell's choice (an index
// into its alternatives); `cells` is updated to match.
void RefineCells(PixelProblem& problem, std::vector<CellOptions>& cells,
                 const std::vector<std::vector<CellOptions>>& alternatives, std::vector<std::uint8_t>& chosen,
                 std::vector<int>& taken);

// ULAplus: the 64 palette bytes chosen for the area's cells.
std::array<std::uint8_t, 64> ChoosePalette(const Area& area);

// The share of the way from a to b of the point of their segment nearest p.
float SegmentShare(LinearRgb p, LinearRgb a, LinearRgb b);

// ULAplus: fitted entries rounded to the nearest of the 256 colours, then
// each settled among its grid neighbours for the cells that use it.
std::array<std::uint8_t, 64> SettledPalette(const Area& area, const std::array<LinearRgb, 64>& entries,
                                            std::span<const Pair> pairs);

// ULAplus: of the fits it is given, each settled, the palette whose quick
// drawing (each cell's best pair, error-diffused) is nearest the picture
// under the blurred measure's blur.
class PaletteJudge {
public:
    explicit PaletteJudge(const Area& area);
    void Consider(const std::array<LinearRgb, 64>& entries, std::span<const Pair> pairs);
    const std::array<std::uint8_t, 64>& Best() const { return best_; }

private:
    float DrawnError(std::span<const LinearRgb> table, const std::vector<Pair>& chosen) const;

    const Area& area_;
    std::vector<LinearRgb> blurred_;  // the area's pixels
    std::array<std::uint8_t, 64> best_{};
    float error_ = -1;
};

// The colour a ULAplus palette byte shows, in linear light.
LinearRgb UlaPlusColour(std::uint8_t grb);

// The border's segments (48 a line over the field), each the nearest of the
// eight BRIGHT 0 colours, dithered unless `dither` is None.
std::vector<std::uint8_t> ChooseBorder(std::span<const LinearRgb> field, const ScreenColours& colours, Dither dither);

}  // namespace picture_in::modes
