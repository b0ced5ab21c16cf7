#pragma once
// The shape every bitmap-and-attribute mode shares once read: per frame, the
// 32 bitmap bytes of each of the 192 lines and the attribute that colours each
// of those bytes. Modes differ only in where these lie in the file (ScreenPart,
// CellFormat), so one reader, one writer and one painter serve them all, and a
// picture moves between two such modes byte for byte where its cells fit.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "modes/cell_layout.h"
#include "screen/decoded_picture.h"
#include "screen/screen_layout.h"

namespace modes {

// cellHeight for attributes stored one per bitmap byte, in the bitmap's own
// interleaved order (Timex hi-colour).
constexpr int InterleavedAttributes = 0;

constexpr std::size_t UlaPlusPaletteSize = 64;
constexpr std::size_t FrameBytes = screen::BitmapSize;  // 192 lines of 32 bytes

// One frame's bitmap and attributes within a file.
struct ScreenPart {
    std::size_t bitmapAt = 0;
    Order order = Order::Interleaved;
    std::size_t attributesAt = screen::AttributeStart;
    int cellHeight = screen::CellSize;  // pixel lines one row of 32 attributes colours, or InterleavedAttributes

    std::size_t AttributeBytes() const;
    std::size_t End() const { return std::max(bitmapAt + FrameBytes, attributesAt + AttributeBytes()); }
};

constexpr ScreenPart StandardScreenAt(std::size_t offset) {
    return {offset, Order::Interleaved, offset + screen::AttributeStart, screen::CellSize};
}

struct CellFrames {
    int frames = 1;
    std::vector<std::uint8_t> bits;        // frame after frame, line after line, 32 bytes each
    std::vector<std::uint8_t> attributes;  // the attribute of each byte of bits
    std::vector<std::uint8_t> ulaPlus;     // the 64-byte ULAplus palette, or empty

    explicit CellFrames(int count = 1) : frames(count), bits(FrameBytes * count), attributes(FrameBytes * count) {}
    std::uint8_t* BitsOf(int frame) { return bits.data() + FrameBytes * frame; }
    const std::uint8_t* BitsOf(int frame) const { return bits.data() + FrameBytes * frame; }
    std::uint8_t* AttributesOf(int frame) { return attributes.data() + FrameBytes * frame; }
    const std::uint8_t* AttributesOf(int frame) const { return attributes.data() + FrameBytes * frame; }
};

// A whole file of a bitmap-and-attribute mode.
struct CellFormat {
    std::size_t size = screen::ScreenSize;
    int frames = 1;
    std::array<ScreenPart, 2> parts{};  // one per frame
    std::size_t paletteAt = 0;          // where the ULAplus palette lies; 0 for none
    bool flashIgnored = false;          // the mode has no FLASH (Timex hi-colour)
};

// bytes must hold at least format.size bytes.
CellFrames ReadCells(const CellFormat& format, std::span<const std::uint8_t> bytes);
void ReadPart(std::span<const std::uint8_t> bytes, const ScreenPart& part, CellFrames& into, int frame);

// The file of that format holding these frames exactly; refused, naming the
// first cell, where a cell's lines differ in attribute but the format keeps
// one for them, where two frames differ but the format has one, or where the
// palettes disagree. One frame fills every frame of a format with more.
base::Result<std::vector<std::uint8_t>> WriteCells(const CellFormat& format, const CellFrames& cells);
base::Status WritePart(const CellFrames& cells, int frame, const ScreenPart& part, std::span<std::uint8_t> out);

// A file of one cell format rewritten in another, byte for byte in every part
// both keep (.mc to .mlt and back; a screen to .img and back).
base::Result<std::vector<std::uint8_t>> TranscodeCells(const CellFormat& from, std::span<const std::uint8_t> bytes,
                                                       const CellFormat& to);

// How attribute bytes give colours: the FLASH phase, whether the mode has
// FLASH at all, and a ULAplus palette that replaces the 15 colours.
struct AttributeColours {
    screen::FlashPhase phase = screen::FlashPhase::First;
    bool flashIgnored = false;
    const std::uint8_t* ulaPlus = nullptr;
};

// The colours of a clear and a set bit under that attribute.
std::array<screen::ColourCode, 2> ColoursOf(std::uint8_t attribute, const AttributeColours& how);

// Eight pixels of one byte, leftmost from the top bit.
inline void PaintByte(screen::ColourCode* out, std::uint8_t bits, const std::array<screen::ColourCode, 2>& colours) {
    for (int i = 0; i < 8; ++i)
        out[i] = colours[(bits >> (7 - i)) & 1];
}

// Every frame of cells drawn into the same frames of picture, the 256x192
// screen's top-left corner at (left, top).
void PaintCells(const CellFrames& cells, const AttributeColours& how, screen::DecodedPicture& picture, int left = 0,
                int top = 0);
// One 8x8 cell, its eight bitmap bytes top line first, at (x0, y0) of frame;
// the parts past the picture's right and bottom edges are left out.
void PaintCell(screen::DecodedPicture& picture, int frame, int x0, int y0, const std::uint8_t* bitmap,
               std::uint8_t attribute, const AttributeColours& how);
// A 256x192 picture of the cells.
screen::DecodedPicture PaintCells(const CellFrames& cells, const AttributeColours& how);

// The cells that draw picture exactly, cells cellHeight lines high (with a
// ULAplus palette found for it when ulaPlus); the first cell that cannot is
// named in the error. Spectrum colours choose INK and PAPER as the classic
// screen's writer does; with ULAplus the top-left pixel's colour is PAPER.
enum class Palette { Spectrum, UlaPlus };
base::Result<CellFrames> FitCells(const screen::DecodedPicture& picture, int cellHeight, Palette palette);

// Where pixel (x, y) of frame lies in a picture's codes, for reading a run of them.
inline const screen::ColourCode* CodesAt(const screen::DecodedPicture& picture, int frame, int x, int y) {
    return picture.pixels.data() + (static_cast<std::size_t>(frame) * picture.height + y) * picture.width + x;
}

// FitCells for a ULAplus picture, 256x192.
base::Result<CellFrames> FitUlaPlusCells(const screen::DecodedPicture& picture, int cellHeight);

// "the cell at pixel (x, y) of frame f": the place named in refusals.
std::string CellPlace(int frame, int x, int y);

}  // namespace modes
