#pragma once
// Pictures into the Spectrum's richer modes: multicolour cells of 8 x 4, 8 x 2
// and 8 x 1, gigascreen's two frames seen as their average, ULAplus's 64
// colours chosen for the picture, Timex hi-colour and hi-res, and the border.
// One converter serves them all: a mode says the shape of its cells, how
// many frames the eye averages and which colours a cell may take, and the
// converter chooses each cell's colours per frame and each pixel.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "picture_in/conversion.h"

namespace picture_in {

// How much the two frames of a gigascreen picture may differ at a pixel:
// Low holds their difference in luminance down where the picture allows,
// Any lets the picture alone decide.
enum class Flicker { Low, Any };

// The files the converter writes, each a layout of one mode.
enum class ModeFile {
    Classic,               // .scr 6912
    UlaPlus,               // .scr 6976
    TimexHiColour,         // .scr 12288
    TimexHiColourUlaPlus,  // .scr 12352
    TimexHiRes,            // .scr 12289
    Gigascreen,            // .img 13824
    Mlt,                   // .mlt 12288, 8 x 1, interleaved bitmap
    Mc,                    // .mc 12288, 8 x 1, linear bitmap
    Ifl,                   // .ifl 9216, 8 x 2
    Bsc,                   // .bsc 11136, classic with a border
    Bmc4,                  // .bmc4 11904, 8 x 4 with a border
    Mg2,                   // .mg2 18688, gigascreen of 8 x 2 cells
    Mg4,                   // .mg4 15616, gigascreen of 8 x 4 cells
    Mg8,                   // .mg8 14080, gigascreen of 8 x 8 cells
    Mg1,                   // .mg1 19456, gigascreen of 8 x 1 cells in the middle 16 columns, 8 x 8 beside
};

// What the conversion needs to know of a mode.
struct ModeShape {
    int cellHeight = 8;    // pixel lines per attribute: 8, 4, 2 or 1
    int frames = 1;        // 2: the eye sees the two frames' average
    bool ulaplus = false;  // a 64-colour palette chosen for the picture
    bool border = false;   // the picture fills the 384 x 304 field
    bool hires = false;    // 512 x 192 in two colours
    // The cells of the middle columns (MiddleFirst onwards, MiddleColumns of
    // them), where their height differs from cellHeight's: .mg1's 1.
    int middleCellHeight = 0;
};

constexpr int MiddleFirst = 8;
constexpr int MiddleColumns = 16;

ModeShape ShapeOf(ModeFile file);

// The field a mode's picture fills: the screen, or the screen and its border.
constexpr int BorderFieldWidth = 384;
constexpr int BorderFieldHeight = 304;
constexpr int BorderLeft = 64;
constexpr int BorderTop = 64;
constexpr int SegmentWidth = 8;  // border pixels that take one colour
constexpr int HiResWidth = 512;
int FieldWidth(ModeShape shape);
int FieldHeight(ModeShape shape);

struct ModeOptions {
    Dither dither = Dither::Refined;
    Bright bright = Bright::Auto;
    Flicker flicker = Flicker::Low;
};

// A cell's two colours in one frame, as indices into the drawing's colour table.
struct CellColours {
    std::uint8_t paper = 0;
    std::uint8_t ink = 0;
    friend bool operator==(CellColours, CellColours) = default;
};

// A converted picture before its bytes: per frame, each cell's colours and
// each screen pixel's choice of INK, plus the palette and border it chose.
struct ModeDrawing {
    ModeShape shape;
    // Classic modes: the 16 screen colours (index BRIGHT x 8 + number).
    // ULAplus: the 64 palette entries (index 16 x group + slot, slots 8..15
    // being the papers).
    std::vector<LinearRgb> table;
    std::array<std::uint8_t, 64> palette{};       // ULAplus entries, GGGRRRBB
    std::vector<std::vector<CellColours>> cells;  // per frame, row by row, 32 a row
    std::vector<std::vector<std::uint8_t>> ink;   // per frame, 1 for INK, row by row over the screen
    std::vector<std::uint8_t> border;             // colour number per segment, 48 a line; bordered modes
    std::uint8_t hiresInk = 0;                    // Timex hi-res: the INK colour number
};

// Converts `field` (FieldWidth x FieldHeight pixels in linear light, row by
// row) in `colours`.
ModeDrawing ConvertToMode(std::span<const LinearRgb> field, const ScreenColours& colours, ModeShape shape,
                          const ModeOptions& options);

// The file's bytes in the layout of `file`, whose shape the drawing has.
std::vector<std::uint8_t> BytesOf(const ModeDrawing& drawing, ModeFile file);

// What the eye sees: the field with the frames averaged in linear light
// (Timex hi-res: 512 x 192).
std::vector<LinearRgb> SeenOf(const ModeDrawing& drawing, const ScreenColours& colours);

// The mean difference in linear luminance between the frames at each pixel.
double MeanFlicker(const ModeDrawing& drawing, const ScreenColours& colours);

// Linear luminance (Rec. 709 weights).
inline float Luminance(LinearRgb c) { return 0.2126f * c.red + 0.7152f * c.green + 0.0722f * c.blue; }

}  // namespace picture_in
