#include "modes/cell_layout.h"

#include <array>
#include <bit>
#include <cstring>

namespace modes {

using screen::ColourCode;

namespace {

// For each byte, its eight bits as whole 16-bit masks in two 64-bit words,
// most significant bit first (in memory order): a byte's eight pixels are
// then PAPER with INK's difference where the mask is set, four at a time.
constexpr auto BitMasks = [] {
    std::array<std::array<std::uint64_t, 2>, 256> masks{};
    for (int bits = 0; bits < 256; ++bits)
        for (int m = 0; m < 8; ++m)
            if ((bits >> (7 - m)) & 1)
                masks[bits][m / 4] |= std::uint64_t{0xFFFF} << (16 * (m % 4));
    return masks;
}();
static_assert(std::endian::native == std::endian::little, "the masks are laid out for little-endian words");

constexpr std::uint64_t FourTimes(ColourCode code) { return code * 0x0001000100010001ull; }

// Eight pixels of one bitmap byte, most significant bit leftmost.
inline void PaintByte(std::uint8_t bits, std::uint64_t ink4, std::uint64_t paper4, ColourCode* out) {
    const std::uint64_t difference = ink4 ^ paper4;
    const std::uint64_t left = paper4 ^ (difference & BitMasks[bits][0]);
    const std::uint64_t right = paper4 ^ (difference & BitMasks[bits][1]);
    std::memcpy(out, &left, sizeof left);
    std::memcpy(out + 4, &right, sizeof right);
}

// INK and PAPER of every attribute value in a phase, four times over.
struct CellColours {
    std::array<std::uint64_t, 256> ink;
    std::array<std::uint64_t, 256> paper;
};

CellColours ColoursIn(screen::FlashPhase phase) {
    CellColours colours{};
    for (int attribute = 0; attribute < 256; ++attribute) {
        colours.ink[attribute] = FourTimes(InkCode(static_cast<std::uint8_t>(attribute), phase));
        colours.paper[attribute] = FourTimes(PaperCode(static_cast<std::uint8_t>(attribute), phase));
    }
    return colours;
}

}  // namespace

void PaintCells(std::span<const std::uint8_t> bitmap, Order bitmapOrder, const AttributeTable& attributes,
                screen::FlashPhase phase, ColourCode* frame) {
    const CellColours colours = ColoursIn(phase);
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        const std::uint8_t* line = bitmap.data() + LineOffset(bitmapOrder, y);
        const std::uint8_t* cells =
            &attributes
                 .bytes[attributes.order == Order::Interleaved ? LineOffset(Order::Interleaved, y)
                                                               : (y / attributes.cellHeight) * screen::CellColumns];
        ColourCode* out = frame + static_cast<std::size_t>(y) * screen::ScreenWidth;
        for (int column = 0; column < screen::CellColumns; ++column, out += 8)
            PaintByte(line[column], colours.ink[cells[column]], colours.paper[cells[column]], out);
    }
}

void PaintBits(std::span<const std::uint8_t> bitmap, Order bitmapOrder, ColourCode ink, ColourCode paper,
               ColourCode* frame) {
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        const std::uint8_t* line = bitmap.data() + LineOffset(bitmapOrder, y);
        ColourCode* out = frame + static_cast<std::size_t>(y) * screen::ScreenWidth;
        for (int column = 0; column < screen::CellColumns; ++column, out += 8)
            PaintByte(line[column], FourTimes(ink), FourTimes(paper), out);
    }
}

screen::DecodedPicture BlankPicture(int width, int height, int frames, int rowRepeat) {
    screen::DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.frames = frames;
    picture.rowRepeat = rowRepeat;
    picture.pixels.assign(static_cast<std::size_t>(frames) * width * height, 0);
    return picture;
}

}  // namespace modes
