// Gigascreen pictures beyond .img: two frames the eye mixes, each in a layout
// of its own program.

#include <cstring>

#include "modes/cells.h"
#include "modes/decode_support.h"

namespace modes {

using screen::BitmapSize;
using screen::CellSize;
using screen::LineBytes;
using screen::ScreenHeight;

namespace {

constexpr std::size_t MultiArtistHeader = 256;
constexpr std::size_t MultiArtistAttributes = MultiArtistHeader + 2 * BitmapSize;  // 12544
constexpr int MiddleColumns = 16;                                                  // mode 1: columns 8-23 are 8x1
constexpr std::size_t MiddleBytes = MiddleColumns * ScreenHeight;                  // one frame's 8x1 attributes
constexpr std::size_t SideBytes = MiddleColumns * screen::CellRows;                // one frame's 8x8 attributes
constexpr std::size_t MultiArtistSizeOf(int mode) {
    return mode == 1 ? MultiArtistAttributes + 2 * (MiddleBytes + SideBytes)
                     : MultiArtistAttributes + 2 * (BitmapSize / static_cast<std::size_t>(mode));
}
static_assert(MultiArtistSizeOf(1) == 19456 && MultiArtistSizeOf(2) == 18688 && MultiArtistSizeOf(4) == 15616 &&
              MultiArtistSizeOf(8) == 14080);

// Mode 1: 8x1 attributes in the middle 16 columns, 8x8 in the outer ones.
void ReadMixedAttributes(Bytes bytes, CellFrames& cells) {
    for (int frame = 0; frame < 2; ++frame) {
        const std::size_t middle = MultiArtistAttributes + frame * MiddleBytes;
        const std::size_t sides = MultiArtistAttributes + 2 * MiddleBytes + frame * SideBytes;
        std::uint8_t* attributes = cells.AttributesOf(frame);
        for (int y = 0; y < ScreenHeight; ++y)
            for (int k = 0; k < LineBytes; ++k) {
                const bool inMiddle = k >= 8 && k < 8 + MiddleColumns;
                attributes[y * LineBytes + k] =
                    inMiddle ? bytes[middle + y * MiddleColumns + (k - 8)]
                             : bytes[sides + (y / CellSize) * MiddleColumns + (k < 8 ? k : k - MiddleColumns)];
            }
    }
}

}  // namespace

Decoded DecodeMultiArtist(Bytes bytes, screen::FlashPhase phase) {
    if (auto sized =
            CheckSize(bytes, {MultiArtistSizeOf(1), MultiArtistSizeOf(2), MultiArtistSizeOf(4), MultiArtistSizeOf(8)});
        !sized)
        return sized.error();
    if (!StartsWith(bytes, "MGH\x01"))
        return NotThisFormat("no MultiArtist signature");
    const int mode = bytes[4];
    if ((mode != 1 && mode != 2 && mode != 4 && mode != 8) || MultiArtistSizeOf(mode) != bytes.size())
        return NotThisFormat("MultiArtist mode " + std::to_string(mode) + " in a file of " +
                             std::to_string(bytes.size()) + " bytes");
    CellFrames cells(2);
    if (mode == 1) {
        for (int frame = 0; frame < 2; ++frame)
            ReadPart(bytes, {MultiArtistHeader + frame * BitmapSize, Order::Interleaved, 0, CellSize}, cells, frame);
        ReadMixedAttributes(bytes, cells);
    } else {
        const std::size_t table = BitmapSize / static_cast<std::size_t>(mode);
        for (int frame = 0; frame < 2; ++frame)
            ReadPart(bytes,
                     {MultiArtistHeader + frame * BitmapSize, Order::Interleaved, MultiArtistAttributes + frame * table,
                      mode},
                     cells, frame);
    }
    return PaintCells(cells, {phase, false, nullptr});
}

Decoded DecodeHlr(Bytes bytes, screen::FlashPhase phase) {
    constexpr std::size_t HlrSize = 1628, PatternAt = 84, AttributesAt = 92;
    if (auto sized = CheckSize(bytes, {HlrSize}); !sized)
        return sized.error();
    if (!StartsWith(bytes, "\x76\xAF\xD3\xFE\x21\x00\x58"))
        return NotThisFormat("no .hlr code prefix");
    CellFrames cells(2);
    for (int frame = 0; frame < 2; ++frame) {
        const std::size_t attributes = AttributesAt + frame * screen::AttributeCount;
        for (int y = 0; y < ScreenHeight; ++y) {
            std::memset(cells.BitsOf(frame) + y * LineBytes, bytes[PatternAt + y % CellSize], LineBytes);
            std::memcpy(cells.AttributesOf(frame) + y * LineBytes,
                        bytes.data() + attributes + (y / CellSize) * LineBytes, LineBytes);
        }
    }
    return PaintCells(cells, {phase, false, nullptr});
}

// 48 groups of four lines; each 16-pixel strip of a group has four
// attributes (frame 1 left and right, frame 2 left and right), each painting
// a 4x4 block of PAPER and one of INK beside it.
Decoded DecodeStellar(Bytes bytes, screen::FlashPhase) {
    constexpr int BlockSide = 4, StripWidth = 16, GroupBytes = 64;
    if (auto sized = CheckSize(bytes, {static_cast<std::size_t>(ScreenHeight / BlockSide * GroupBytes)}); !sized)
        return sized.error();
    screen::DecodedPicture picture = BlankPicture(screen::ScreenWidth, ScreenHeight, 2);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int strip = 0; strip < screen::ScreenWidth / StripWidth; ++strip)
            for (int frame = 0; frame < 2; ++frame)
                for (int half = 0; half < 2; ++half) {
                    const std::uint8_t attribute = bytes[(y / BlockSide) * GroupBytes + strip * 4 + frame * 2 + half];
                    const bool bright = screen::isBright(attribute);
                    const screen::ColourCode paper = screen::SpectrumColour(screen::paperOf(attribute), bright);
                    const screen::ColourCode ink = screen::SpectrumColour(screen::inkOf(attribute), bright);
                    screen::ColourCode* out = &picture.at(frame, strip * StripWidth + half * 8, y);
                    for (int i = 0; i < 8; ++i)
                        out[i] = i < BlockSide ? paper : ink;
                }
    return picture;
}

}  // namespace modes
