// A converted picture as the bytes of each mode's file.
#include <algorithm>

#include "picture_in/mode_convert.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using Bytes = std::vector<std::uint8_t>;
using screen::BitmapSize;
using screen::LineBytes;
using screen::ScreenHeight;
using screen::ScreenWidth;

constexpr int MultiArtistHeader = 256;
constexpr int BorderBytes = 4224;

// Where pixel line y's bytes start: in the screen's interleaved order, or one
// line after another.
int LineStart(int y, bool interleaved) { return interleaved ? screen::PixelByteOffset(0, y) : LineBytes * y; }

void PutBitmap(const std::vector<std::uint8_t>& ink, bool interleaved, Bytes& out, std::size_t at) {
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
            if (ink[static_cast<std::size_t>(y) * ScreenWidth + x])
                out[at + LineStart(y, interleaved) + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

std::uint8_t AttributeOf(const ModeDrawing& drawing, CellColours cell) {
    if (drawing.shape.ulaplus) {
        const int group = cell.ink / 16;
        return static_cast<std::uint8_t>((cell.ink % 16) | (cell.paper % 8) << 3 | (group & 1) << 6 |
                                         (group >> 1) << 7);
    }
    const int bright = BrightOf(cell.ink) | BrightOf(cell.paper);
    return static_cast<std::uint8_t>(NumberOf(cell.ink) | NumberOf(cell.paper) << 3 | bright << 6);
}

// Attribute rows one after another, 32 bytes a row.
void PutAttributes(const ModeDrawing& drawing, int frame, Bytes& out, std::size_t at) {
    const std::vector<CellColours>& cells = drawing.cells[frame];
    for (std::size_t c = 0; c < cells.size(); ++c)
        out[at + c] = AttributeOf(drawing, cells[c]);
}

// 8 x 1 attributes in the bitmap's interleaved order (Timex hi-colour).
void PutInterleavedAttributes(const ModeDrawing& drawing, Bytes& out, std::size_t at) {
    const int columns = ScreenWidth / 8;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int k = 0; k < columns; ++k)
            out[at + LineStart(y, true) + k] = AttributeOf(drawing, drawing.cells[0][y * columns + k]);
}

// Line by line, two 8-pixel segments a byte (left in bits 0-2): whole lines
// above and below the screen, the left and right parts beside it.
void PutBorder(const ModeDrawing& drawing, Bytes& out, std::size_t at) {
    const int segments = BorderFieldWidth / SegmentWidth;
    const int screenFirst = BorderLeft / SegmentWidth, screenLast = (BorderLeft + ScreenWidth) / SegmentWidth;
    for (int y = 0; y < BorderFieldHeight; ++y) {
        const bool beside = y >= BorderTop && y < BorderTop + ScreenHeight;
        for (int s = 0; s < segments; s += 2) {
            if (beside && s >= screenFirst && s < screenLast)
                continue;
            const std::uint8_t* line = drawing.border.data() + static_cast<std::size_t>(y) * segments;
            out[at++] = static_cast<std::uint8_t>((line[s] & 7) | (line[s + 1] & 7) << 3);
        }
    }
}

Bytes Screen(const ModeDrawing& drawing, int frame) {
    Bytes out(screen::ScreenSize);
    PutBitmap(drawing.ink[frame], true, out, 0);
    PutAttributes(drawing, frame, out, screen::AttributeStart);
    return out;
}

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void AppendPalette(Bytes& out, const ModeDrawing& drawing) {
    out.insert(out.end(), drawing.palette.begin(), drawing.palette.end());
}

Bytes HiRes(const ModeDrawing& drawing) {
    Bytes out(2 * BitmapSize + 1);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < HiResWidth; ++x)
            if (drawing.ink[0][static_cast<std::size_t>(y) * HiResWidth + x]) {
                const int k = x / 16, half = (x / 8) % 2;
                out[half * BitmapSize + LineStart(y, true) + k] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
    out[2 * BitmapSize] = static_cast<std::uint8_t>(drawing.hiresInk << 3);
    return out;
}

Bytes MultiArtist(const ModeDrawing& drawing, int mode) {
    const std::size_t attributes = drawing.cells[0].size();
    Bytes out(MultiArtistHeader + 2 * BitmapSize + 2 * attributes);
    const char magic[] = {'M', 'G', 'H', 1};
    std::copy(std::begin(magic), std::end(magic), out.begin());
    out[4] = static_cast<std::uint8_t>(mode);
    // Mode 1 keeps both frames' middle cells (8 x 1) first, then both
    // frames' side cells (8 x 8); the drawing lists each frame's cells in
    // that order.
    const std::size_t middle =
        drawing.shape.middleCellHeight ? static_cast<std::size_t>(MiddleColumns) * ScreenHeight : 0;
    const std::size_t table = MultiArtistHeader + 2 * BitmapSize;
    for (int f = 0; f < 2; ++f) {
        PutBitmap(drawing.ink[f], true, out, MultiArtistHeader + f * BitmapSize);
        for (std::size_t c = 0; c < attributes; ++c)
            out[c < middle ? table + f * middle + c : table + 2 * middle + f * (attributes - middle) + (c - middle)] =
                AttributeOf(drawing, drawing.cells[f][c]);
    }
    return out;
}

Bytes Bmc4(const ModeDrawing& drawing) {
    Bytes out(screen::ScreenSize + screen::AttributeCount + BorderBytes);
    PutBitmap(drawing.ink[0], true, out, 0);
    // Upper halves of the character rows first, then the lower halves.
    const int columns = ScreenWidth / 8;
    for (int row = 0; row < ScreenHeight / 4; ++row)
        for (int k = 0; k < columns; ++k)
            out[screen::AttributeStart + (row % 2) * screen::AttributeCount + (row / 2) * columns + k] =
                AttributeOf(drawing, drawing.cells[0][row * columns + k]);
    PutBorder(drawing, out, screen::ScreenSize + screen::AttributeCount);
    return out;
}

}  // namespace

std::vector<std::uint8_t> BytesOf(const ModeDrawing& drawing, ModeFile file) {
    Bytes out;
    switch (file) {
    case ModeFile::Classic: return Screen(drawing, 0);
    case ModeFile::UlaPlus:
        out = Screen(drawing, 0);
        AppendPalette(out, drawing);
        return out;
    case ModeFile::TimexHiColour:
    case ModeFile::TimexHiColourUlaPlus:
        out.assign(2 * BitmapSize, 0);
        PutBitmap(drawing.ink[0], true, out, 0);
        PutInterleavedAttributes(drawing, out, BitmapSize);
        if (file == ModeFile::TimexHiColourUlaPlus)
            AppendPalette(out, drawing);
        return out;
    case ModeFile::TimexHiRes: return HiRes(drawing);
    case ModeFile::Gigascreen:
        out = Screen(drawing, 0);
        Append(out, Screen(drawing, 1));
        return out;
    case ModeFile::Mlt:
    case ModeFile::Mc:
    case ModeFile::Ifl:
        out.assign(BitmapSize + drawing.cells[0].size(), 0);
        PutBitmap(drawing.ink[0], file != ModeFile::Mc, out, 0);
        PutAttributes(drawing, 0, out, BitmapSize);
        return out;
    case ModeFile::Bsc:
        out = Screen(drawing, 0);
        out.resize(out.size() + BorderBytes);
        PutBorder(drawing, out, screen::ScreenSize);
        return out;
    case ModeFile::Bmc4: return Bmc4(drawing);
    case ModeFile::Mg2: return MultiArtist(drawing, 2);
    case ModeFile::Mg4: return MultiArtist(drawing, 4);
    case ModeFile::Mg8: return MultiArtist(drawing, 8);
    case ModeFile::Mg1: return MultiArtist(drawing, 1);
    }
    return out;
}

}  // namespace picture_in
