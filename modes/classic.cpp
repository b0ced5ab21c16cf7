#include "modes/classic.h"

#include <array>
#include <string>

#include "modes/cell_layout.h"
#include "modes/mode_error.h"

namespace modes {
namespace {

using screen::CellSize;
using screen::ColourCode;
using screen::DecodedPicture;

constexpr ColourCode BrightWhite = screen::SpectrumColour(7, true);

std::string CellName(int column, int row) { return "cell " + std::to_string(column) + "," + std::to_string(row); }

base::Result<std::vector<std::uint8_t>> Refused(std::string detail) {
    return ModeError(ModeErrc::DoesNotFit, std::move(detail));
}

// Nothing when a one-frame 256 x 192 picture; else what differs.
std::string ShapeFault(const DecodedPicture& picture) {
    if (picture.width != screen::ScreenWidth || picture.height != screen::ScreenHeight || picture.rowRepeat != 1)
        return "the picture is " + std::to_string(picture.width) + "x" +
               std::to_string(picture.height * picture.rowRepeat) + ", not " + std::to_string(screen::ScreenWidth) +
               "x" + std::to_string(screen::ScreenHeight);
    if (picture.frames != 1)
        return "the picture has " + std::to_string(picture.frames) + " frames, the mode shows one";
    return {};
}

// One cell's attribute and eight bitmap bytes, or why none shows it.
base::Status PackCell(const DecodedPicture& picture, int column, int row, std::vector<std::uint8_t>& out) {
    std::array<int, 8> count{};
    // Black looks the same either way, so only the other colours decide
    // BRIGHT; a cell of black alone keeps the BRIGHT it was given.
    bool plain = false, lit = false, litBlack = false;
    for (int y = 0; y < CellSize; ++y)
        for (int x = 0; x < CellSize; ++x) {
            const ColourCode code = picture.at(0, column * CellSize + x, row * CellSize + y);
            if (screen::IsUlaPlus(code))
                return ModeError(ModeErrc::DoesNotFit, CellName(column, row) + " has a colour the 15 do not have");
            ++count[screen::NumberOf(code)];
            if (screen::NumberOf(code) != 0)
                (screen::IsBright(code) ? lit : plain) = true;
            else
                litBlack = litBlack || screen::IsBright(code);
        }
    int numbers = 0;
    int paper = 0;
    for (int number = 0; number < 8; ++number) {
        numbers += count[number] > 0;
        if (count[number] > count[paper])
            paper = number;
    }
    if (numbers > 2)
        return ModeError(ModeErrc::DoesNotFit, CellName(column, row) + " has " + std::to_string(numbers) + " colours");
    if (plain && lit)
        return ModeError(ModeErrc::DoesNotFit, CellName(column, row) + " has colours with and without BRIGHT");
    int ink = 7 - paper;
    for (int number = 0; number < 8; ++number)
        if (number != paper && count[number] > 0)
            ink = number;
    out[screen::AttributeOffset(column, row)] = screen::MakeAttribute(ink, paper, lit || (!plain && litBlack));
    for (int y = 0; y < CellSize; ++y) {
        std::uint8_t bits = 0;
        for (int x = 0; x < CellSize; ++x)
            bits = static_cast<std::uint8_t>(
                bits | (screen::NumberOf(picture.at(0, column * CellSize + x, row * CellSize + y)) != paper)
                           << (7 - x));
        out[screen::CellBitmapOffset(column, row) + y * screen::PixelRowStep] = bits;
    }
    return base::Done{};
}

}  // namespace

base::Result<DecodedPicture> DecodeClassic(std::span<const std::uint8_t> bytes, screen::FlashPhase phase) {
    if (bytes.size() < static_cast<std::size_t>(screen::ScreenSize))
        return ModeError(ModeErrc::WrongSize);
    DecodedPicture picture = BlankPicture(screen::ScreenWidth, screen::ScreenHeight);
    const AttributeTable attributes{bytes.subspan(screen::AttributeStart, screen::AttributeCount), CellSize,
                                    Order::Linear};
    PaintCells(bytes.first(screen::BitmapSize), Order::Interleaved, attributes, phase, picture.pixels.data());
    return picture;
}

base::Result<std::vector<std::uint8_t>> EncodeClassic(const DecodedPicture& picture) {
    if (const std::string fault = ShapeFault(picture); !fault.empty())
        return Refused(fault);
    std::vector<std::uint8_t> bytes(screen::ScreenSize);
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column)
            if (base::Status packed = PackCell(picture, column, row, bytes); !packed)
                return packed.error();
    return bytes;
}

base::Result<DecodedPicture> DecodeBitmapOnly(std::span<const std::uint8_t> bytes, screen::FlashPhase) {
    if (bytes.size() < static_cast<std::size_t>(screen::BitmapSize))
        return ModeError(ModeErrc::WrongSize);
    DecodedPicture picture = BlankPicture(screen::ScreenWidth, screen::ScreenHeight);
    PaintBits(bytes.first(screen::BitmapSize), Order::Interleaved, BrightWhite, screen::SpectrumColour(0, false),
              picture.pixels.data());
    return picture;
}

base::Result<std::vector<std::uint8_t>> EncodeBitmapOnly(const DecodedPicture& picture) {
    if (const std::string fault = ShapeFault(picture); !fault.empty())
        return Refused(fault);
    std::vector<std::uint8_t> bytes(screen::BitmapSize);
    for (int y = 0; y < screen::ScreenHeight; ++y)
        for (int x = 0; x < screen::ScreenWidth; ++x) {
            const ColourCode code = picture.at(0, x, y);
            if (code == BrightWhite)
                bytes[screen::PixelByteOffset(x, y)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            else if (screen::IsUlaPlus(code) || screen::NumberOf(code) != 0)
                return Refused("pixel " + std::to_string(x) + "," + std::to_string(y) +
                               " is neither bright white nor black");
        }
    return bytes;
}

}  // namespace modes
