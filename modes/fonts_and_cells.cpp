// Pictures made of 8x8 character cells: attributes alone, character screens
// with their font, fonts themselves, cell grids with a header, and the
// one-byte-a-pixel FLUFF64 picture.

#include <cstring>
#include <optional>
#include <string_view>

#include "modes/cells.h"
#include "modes/decode_support.h"

namespace modes {

using screen::CellSize;
using screen::LineBytes;

namespace {

constexpr screen::ColourCode Black = screen::SpectrumColour(0, false);
constexpr screen::ColourCode White = screen::SpectrumColour(7, true);
constexpr std::size_t ChrDollarHeader = 7;
constexpr std::size_t SevHeader = 14;
constexpr int CellBytes = CellSize + 1;  // eight bitmap bytes and the attribute

int CellsAcross(int pixels) { return (pixels + CellSize - 1) / CellSize; }

}  // namespace

// Each cell a one-pixel checkerboard of its two colours, PAPER at the top left.
Decoded DecodeAtr(Bytes bytes, screen::FlashPhase phase) {
    if (auto sized = CheckSize(bytes, {static_cast<std::size_t>(screen::AttributeCount)}); !sized)
        return sized.error();
    CellFrames cells;
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        std::memset(cells.BitsOf(0) + y * LineBytes, y % 2 ? 0xAA : 0x55, LineBytes);
        std::memcpy(cells.AttributesOf(0) + y * LineBytes, bytes.data() + (y / CellSize) * LineBytes, LineBytes);
    }
    return PaintCells(cells, {phase, false, nullptr});
}

Decoded DecodeZxs(Bytes bytes, screen::FlashPhase phase) {
    constexpr std::size_t FontAt = 12, Glyphs = 112, CodesAt = FontAt + Glyphs * CellSize;
    constexpr std::size_t AttributesAt = CodesAt + screen::AttributeCount, ZxsSize = 2452;
    if (auto sized = CheckSize(bytes, {ZxsSize}); !sized)
        return sized.error();
    if (!StartsWith(bytes, "ZX_SSCII"))
        return NotThisFormat("no ZX_SSCII signature");
    screen::DecodedPicture picture = BlankPicture(screen::ScreenWidth, screen::ScreenHeight, 1);
    for (int column = 0; column < screen::CellColumns; ++column)
        for (int row = 0; row < screen::CellRows; ++row) {
            const std::size_t entry = column * screen::CellRows + row;  // stored column by column
            const std::uint8_t code = bytes[CodesAt + entry];
            if (code >= Glyphs)
                return Undecodable("character code " + std::to_string(code) + " past the font's 112 glyphs");
            PaintCell(picture, 0, column * CellSize, row * CellSize, bytes.data() + FontAt + code * CellSize,
                      bytes[AttributesAt + entry], {phase, false, nullptr});
        }
    return picture;
}

// 32 glyphs a row, set bits white on black.
Decoded DecodeFont(Bytes bytes, screen::FlashPhase) {
    if (auto sized = CheckSize(bytes, {96 * CellSize, 256 * CellSize}); !sized)
        return sized.error();
    const int glyphs = static_cast<int>(bytes.size()) / CellSize;
    screen::DecodedPicture picture = BlankPicture(screen::ScreenWidth, glyphs / screen::CellColumns * CellSize, 1);
    for (int g = 0; g < glyphs; ++g)
        for (int y = 0; y < CellSize; ++y)
            PaintByte(&picture.at(0, g % screen::CellColumns * CellSize, g / screen::CellColumns * CellSize + y),
                      bytes[g * CellSize + y], {Black, White});
    return picture;
}

bool ChrDollarSize(std::uint64_t size) {
    return size >= ChrDollarHeader + CellBytes && size <= ChrDollarMaxBytes &&
           (size - ChrDollarHeader) % CellBytes == 0;
}

bool ChrDollarAccepts(Bytes bytes) {
    if (bytes.size() < ChrDollarHeader || !StartsWith(bytes, "chr$"))
        return false;
    const std::size_t cells = static_cast<std::size_t>(bytes[4]) * bytes[5];
    return cells > 0 && (bytes[6] == CellBytes || bytes[6] == 2 * CellBytes) &&
           bytes.size() == ChrDollarHeader + bytes[6] * cells;
}

Decoded DecodeChrDollar(Bytes bytes, screen::FlashPhase phase) {
    if (!ChrDollarAccepts(bytes))
        return NotThisFormat("not a chr$ file of " + std::to_string(bytes.size()) + " bytes");
    const int columns = bytes[4], rows = bytes[5], frames = bytes[6] / CellBytes;
    screen::DecodedPicture picture = BlankPicture(columns * CellSize, rows * CellSize, frames);
    std::size_t at = ChrDollarHeader;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            for (int frame = 0; frame < frames; ++frame, at += CellBytes)
                PaintCell(picture, frame, column * CellSize, row * CellSize, bytes.data() + at, bytes[at + CellSize],
                          {phase, false, nullptr});
    return picture;
}

namespace {

struct SevSize {
    int width = 0, height = 0;
};

std::optional<SevSize> SevSizeOf(Bytes bytes) {
    if (bytes.size() < SevHeader || !StartsWith(bytes, std::string_view("Sev\0", 4)) || bytes[6] != 1 ||
        bytes[7] != 0 || bytes.size() > SevMaxBytes)
        return std::nullopt;
    const SevSize size{Little16(bytes, 10), Little16(bytes, 12)};
    if (size.width < 1 || size.height < 1 || size.width > MaxPictureSide || size.height > MaxPictureSide)
        return std::nullopt;
    const std::size_t cells = static_cast<std::size_t>(CellsAcross(size.width)) * CellsAcross(size.height);
    if (bytes.size() < SevHeader + CellBytes * cells)
        return std::nullopt;
    return size;
}

}  // namespace

bool SevSize(std::uint64_t size) { return size >= SevHeader + CellBytes && size <= SevMaxBytes; }

bool SevAccepts(Bytes bytes) { return SevSizeOf(bytes).has_value(); }

Decoded DecodeSev(Bytes bytes, screen::FlashPhase phase) {
    const auto size = SevSizeOf(bytes);
    if (!size)
        return NotThisFormat("not a .sev picture of " + std::to_string(bytes.size()) + " bytes");
    screen::DecodedPicture picture = BlankPicture(size->width, size->height, 1);
    std::size_t at = SevHeader;
    for (int row = 0; row < CellsAcross(size->height); ++row)
        for (int column = 0; column < CellsAcross(size->width); ++column, at += CellBytes)
            PaintCell(picture, 0, column * CellSize, row * CellSize, bytes.data() + at, bytes[at + CellSize],
                      {phase, false, nullptr});
    return picture;
}

bool FluffSize(std::uint64_t size) { return size >= FluffPictureBytes && size <= FluffMaxBytes; }

bool FluffAccepts(Bytes bytes) {
    return FluffSize(bytes.size()) && StartsWith(bytes, "FLUFF64") && bytes[11] == 28 && bytes[12] == 14;
}

// One byte a pixel: 16 x BRIGHT + colour, bits 3 and 5 ignored; values past
// 63 have no colour and show black.
Decoded DecodeFluff(Bytes bytes, screen::FlashPhase) {
    if (!FluffAccepts(bytes))
        return NotThisFormat("not a FLUFF64 picture of type 28");
    screen::DecodedPicture picture = BlankPicture(screen::ScreenWidth, screen::ScreenHeight, 1);
    constexpr std::size_t PixelsAt = 13;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const std::uint8_t value = bytes[PixelsAt + i];
        picture.pixels[i] = value > 63 ? Black : screen::SpectrumColour(value & 7, (value & 0x10) != 0);
    }
    return picture;
}

}  // namespace modes
