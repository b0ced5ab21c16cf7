// Pictures back into cells: the inverse of painting, for the modes a picture
// can be written in exactly.

#include <array>

#include "modes/cells.h"
#include "modes/mode_error.h"

namespace modes {
namespace {

using screen::ColourCode;
using screen::LineBytes;

struct Cell {
    const screen::DecodedPicture& picture;
    int frame, x0, y0, height;
    ColourCode At(int x, int y) const { return picture.at(frame, x0 + x, y0 + y); }
};

// A cell's attribute and which of its pixels are INK, or why none shows it.
struct Fitted {
    std::uint8_t attribute = 0;
    int paperNumber = -1;  // a pixel of another number is INK
    std::string refusal;
};

// As the classic screen's writer decides: PAPER the colour number most
// pixels have (the lower on a tie), INK the other (7 - PAPER in a cell of one
// colour); black looks alike either way, so only other colours decide BRIGHT,
// and a cell of black alone keeps the BRIGHT it was given.
Fitted FitSpectrum(const Cell& cell) {
    std::array<int, 8> count{};
    bool plain = false, lit = false, litBlack = false;
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < screen::CellSize; ++x) {
            const ColourCode code = cell.At(x, y);
            if (screen::IsUlaPlus(code))
                return {.refusal = "has a ULAplus colour, which the mode's 15 colours cannot show"};
            ++count[screen::NumberOf(code)];
            if (screen::NumberOf(code) != 0)
                (screen::IsBright(code) ? lit : plain) = true;
            else
                litBlack = litBlack || screen::IsBright(code);
        }
    int numbers = 0, paper = 0;
    for (int number = 0; number < 8; ++number) {
        numbers += count[number] > 0;
        if (count[number] > count[paper])
            paper = number;
    }
    if (numbers > 2)
        return {.refusal = "has " + std::to_string(numbers) + " colours"};
    if (plain && lit)
        return {.refusal = "has colours with and without BRIGHT"};
    int ink = 7 - paper;
    for (int number = 0; number < 8; ++number)
        if (number != paper && count[number] > 0)
            ink = number;
    return {screen::MakeAttribute(ink, paper, lit || (!plain && litBlack)), paper, std::string()};
}

}  // namespace

base::Result<CellFrames> FitCells(const screen::DecodedPicture& picture, int cellHeight, Palette palette) {
    if (palette == Palette::UlaPlus && picture.width == screen::ScreenWidth && picture.height == screen::ScreenHeight &&
        picture.rowRepeat == 1)
        return FitUlaPlusCells(picture, cellHeight);
    if (picture.width != screen::ScreenWidth || picture.height != screen::ScreenHeight || picture.rowRepeat != 1)
        return ModeError(ModeErrc::DoesNotFit, "the picture is " + std::to_string(picture.width) + "x" +
                                                   std::to_string(picture.height * picture.rowRepeat) +
                                                   ", not 256x192");
    CellFrames cells(picture.frames);
    for (int frame = 0; frame < picture.frames; ++frame)
        for (int y0 = 0; y0 < screen::ScreenHeight; y0 += cellHeight)
            for (int column = 0; column < screen::CellColumns; ++column) {
                const Cell cell{picture, frame, column * screen::CellSize, y0, cellHeight};
                const Fitted fitted = FitSpectrum(cell);
                if (!fitted.refusal.empty())
                    return ModeError(ModeErrc::DoesNotFit, CellPlace(frame, cell.x0, y0) + " " + fitted.refusal);
                for (int y = 0; y < cellHeight; ++y) {
                    std::uint8_t bits = 0;
                    for (int x = 0; x < screen::CellSize; ++x) {
                        const ColourCode code = cell.At(x, y);
                        const bool ink = screen::NumberOf(code) != fitted.paperNumber;
                        bits = static_cast<std::uint8_t>(bits | ink << (7 - x));
                    }
                    cells.BitsOf(frame)[(y0 + y) * LineBytes + column] = bits;
                    cells.AttributesOf(frame)[(y0 + y) * LineBytes + column] = fitted.attribute;
                }
            }
    return cells;
}

}  // namespace modes
