// The modes that are only a bitmap and attributes in another place: the .scr
// files with a ULAplus palette or Timex hi-colour, gigascreen .img, the
// multicolour .mlt, .mc and .ifl; and the Timex hi-res screen beside them.

#include "modes/cell_formats.h"
#include "modes/decode_support.h"
#include "modes/encoders.h"

namespace modes {
namespace {

constexpr std::size_t HiResSize = 2 * BitmapSize + 1;  // bitmap A, bitmap B, the colour byte

Decoded DecodeCells(const CellFormat& format, Bytes bytes, screen::FlashPhase phase) {
    if (auto sized = CheckSize(bytes, {format.size}); !sized)
        return sized.error();
    return PaintCells(ReadCells(format, bytes), {phase, format.flashIgnored, nullptr});
}

Encoded EncodeCells(const CellFormat& format, const screen::DecodedPicture& picture, int cellHeight, Palette palette) {
    auto cells = FitCells(picture, cellHeight, palette);
    if (!cells)
        return cells.error();
    return WriteCells(format, *cells);
}

}  // namespace

// A picture of the hi-res mode at `at`: 512 pixels a line, byte columns taken
// alternately from the two bitmaps, in the colour byte's INK and its complement.
void PaintTimexHiRes(Bytes bytes, std::size_t at, screen::DecodedPicture& picture, int frame) {
    const int ink = (bytes[at + 2 * BitmapSize] >> 3) & 7;
    const std::array<screen::ColourCode, 2> colours{screen::SpectrumColour(ink ^ 7, true),
                                                    screen::SpectrumColour(ink, true)};
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        const std::size_t line = at + screen::LineAddressTable[y];
        screen::ColourCode* out = &picture.at(frame, 0, y);
        for (int k = 0; k < screen::LineBytes; ++k) {
            PaintByte(out + 16 * k, bytes[line + k], colours);
            PaintByte(out + 16 * k + 8, bytes[line + BitmapSize + k], colours);
        }
    }
}

Decoded DecodeUlaPlusScreen(Bytes bytes, screen::FlashPhase phase) {
    return DecodeCells(UlaPlusScreenCells, bytes, phase);
}

Decoded DecodeTimexHiColour(Bytes bytes, screen::FlashPhase phase) {
    return DecodeCells(TimexHiColourCells, bytes, phase);
}

Decoded DecodeTimexHiColourUlaPlus(Bytes bytes, screen::FlashPhase phase) {
    return DecodeCells(TimexHiColourUlaPlusCells, bytes, phase);
}

Decoded DecodeTimexHiRes(Bytes bytes, screen::FlashPhase) {
    if (auto sized = CheckSize(bytes, {HiResSize}); !sized)
        return sized.error();
    screen::DecodedPicture picture = BlankPicture(2 * screen::ScreenWidth, screen::ScreenHeight, 1, 2);
    PaintTimexHiRes(bytes, 0, picture, 0);
    return picture;
}

Decoded DecodeTimexHiResPair(Bytes bytes, screen::FlashPhase) {
    if (auto sized = CheckSize(bytes, {2 * HiResSize}); !sized)
        return sized.error();
    screen::DecodedPicture picture = BlankPicture(2 * screen::ScreenWidth, screen::ScreenHeight, 2, 2);
    PaintTimexHiRes(bytes, 0, picture, 0);
    PaintTimexHiRes(bytes, HiResSize, picture, 1);
    return picture;
}

Encoded EncodeUlaPlusScreen(const screen::DecodedPicture& picture) {
    return EncodeCells(UlaPlusScreenCells, picture, screen::CellSize, Palette::UlaPlus);
}

Encoded EncodeTimexHiColour(const screen::DecodedPicture& picture) {
    return EncodeCells(TimexHiColourCells, picture, 1, Palette::Spectrum);
}

Encoded EncodeTimexHiColourUlaPlus(const screen::DecodedPicture& picture) {
    return EncodeCells(TimexHiColourUlaPlusCells, picture, 1, Palette::UlaPlus);
}

Encoded EncodeGigascreen(const screen::DecodedPicture& picture) {
    return EncodeCells(GigascreenCells, picture, screen::CellSize, Palette::Spectrum);
}

Encoded EncodeMlt(const screen::DecodedPicture& picture) {
    return EncodeCells(MltCells, picture, 1, Palette::Spectrum);
}

Encoded EncodeMc(const screen::DecodedPicture& picture) { return EncodeCells(McCells, picture, 1, Palette::Spectrum); }

Encoded EncodeIfl(const screen::DecodedPicture& picture) {
    return EncodeCells(IflCells, picture, 2, Palette::Spectrum);
}

Decoded DecodeGigascreen(Bytes bytes, screen::FlashPhase phase) { return DecodeCells(GigascreenCells, bytes, phase); }
Decoded DecodeMlt(Bytes bytes, screen::FlashPhase phase) { return DecodeCells(MltCells, bytes, phase); }
Decoded DecodeMc(Bytes bytes, screen::FlashPhase phase) { return DecodeCells(McCells, bytes, phase); }
Decoded DecodeIfl(Bytes bytes, screen::FlashPhase phase) { return DecodeCells(IflCells, bytes, phase); }

}  // namespace modes
