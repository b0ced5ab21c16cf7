// Pictures back into cells: the inverse of painting, for the modes a picture
// can be written in exactly.

#include <array>
#include <optional>

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
    int paperNumber = -1;      // Spectrum colours: a pixel of another number is INK
    ColourCode paperCode = 0;  // ULAplus colours: a pixel of another code is INK
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
    return {screen::MakeAttribute(ink, paper, lit || (!plain && litBlack)), paper, 0, {}};
}

// Where ULAplus colours find their palette entries: four groups (FLASH and
// BRIGHT) of 8 inks and 8 papers, taken first come first served.
class PaletteSlots {
public:
    Fitted Fit(const Cell& cell) {
        const ColourCode paper = cell.At(0, 0);
        std::optional<ColourCode> ink;
        for (int y = 0; y < cell.height; ++y)
            for (int x = 0; x < screen::CellSize; ++x) {
                const ColourCode code = cell.At(x, y);
                if (!screen::IsUlaPlus(code))
                    return {.refusal = "has a colour outside the ULAplus palette"};
                if (code != paper && ink && code != *ink)
                    return {.refusal = "has more than two colours"};
                if (code != paper)
                    ink = code;
            }
        for (int group = 0; group < 4; ++group) {
            const int paperIndex = Find(group * 16 + 8, paper);
            const int inkIndex = ink ? Find(group * 16, *ink) : 0;
            if (paperIndex < 0 || inkIndex < 0)
                continue;
            Take(group * 16 + 8 + paperIndex, paper);
            if (ink)
                Take(group * 16 + inkIndex, *ink);
            return {static_cast<std::uint8_t>((group << 6) | (paperIndex << 3) | inkIndex), -1, paper, {}};
        }
        return {.refusal = "needs a palette entry where none is left"};
    }
    std::vector<std::uint8_t> Palette() const { return {palette_.begin(), palette_.end()}; }

private:
    // The entry of the eight from `first` holding code, else the first free one, else -1.
    int Find(int first, ColourCode code) const {
        int free = -1;
        for (int i = 0; i < 8; ++i) {
            if (used_[first + i] && palette_[first + i] == screen::UlaPlusByteOf(code))
                return i;
            if (!used_[first + i] && free < 0)
                free = i;
        }
        return free;
    }
    void Take(int index, ColourCode code) {
        used_[index] = true;
        palette_[index] = screen::UlaPlusByteOf(code);
    }
    std::array<std::uint8_t, UlaPlusPaletteSize> palette_{};
    std::array<bool, UlaPlusPaletteSize> used_{};
};

}  // namespace

base::Result<CellFrames> FitCells(const screen::DecodedPicture& picture, int cellHeight, Palette palette) {
    if (picture.width != screen::ScreenWidth || picture.height != screen::ScreenHeight || picture.rowRepeat != 1)
        return ModeError(ModeErrc::DoesNotFit, "the picture is " + std::to_string(picture.width) + "x" +
                                                   std::to_string(picture.height * picture.rowRepeat) +
                                                   ", not 256x192");
    CellFrames cells(picture.frames);
    PaletteSlots slots;
    for (int frame = 0; frame < picture.frames; ++frame)
        for (int y0 = 0; y0 < screen::ScreenHeight; y0 += cellHeight)
            for (int column = 0; column < screen::CellColumns; ++column) {
                const Cell cell{picture, frame, column * screen::CellSize, y0, cellHeight};
                const Fitted fitted = palette == Palette::Spectrum ? FitSpectrum(cell) : slots.Fit(cell);
                if (!fitted.refusal.empty())
                    return ModeError(ModeErrc::DoesNotFit, CellPlace(frame, cell.x0, y0) + " " + fitted.refusal);
                for (int y = 0; y < cellHeight; ++y) {
                    std::uint8_t bits = 0;
                    for (int x = 0; x < screen::CellSize; ++x) {
                        const ColourCode code = cell.At(x, y);
                        const bool ink = palette == Palette::Spectrum ? screen::NumberOf(code) != fitted.paperNumber
                                                                      : code != fitted.paperCode;
                        bits = static_cast<std::uint8_t>(bits | ink << (7 - x));
                    }
                    cells.BitsOf(frame)[(y0 + y) * LineBytes + column] = bits;
                    cells.AttributesOf(frame)[(y0 + y) * LineBytes + column] = fitted.attribute;
                }
            }
    if (palette == Palette::UlaPlus)
        cells.ulaPlus = slots.Palette();
    return cells;
}

}  // namespace modes
