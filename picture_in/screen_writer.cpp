#include "picture_in/screen_writer.h"

#include <algorithm>
#include <cstdio>

namespace picture_in {
namespace {

using screen::CellSize;
using screen::ScreenWidth;

// The colour index of an sRGB colour in the palette: bright black is
// reported as plain black; -1 when it is not a screen colour.
int IndexOf(Rgb colour, const ScreenColours& colours) {
    for (int index = 0; index < 16; ++index)
        if (colours.srgb[index] == colour)
            return index;
    return -1;
}

}  // namespace

ScreenBytes ScreenOf(const Drawing& drawing, Bright bright) {
    ScreenBytes bytes{};
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column) {
            std::array<int, 8> count{};
            int brightest = 0;  // above ColourIndex(0, 1): a bright colour other than black
            for (int y = 0; y < CellSize; ++y) {
                const std::uint8_t* line =
                    drawing.data() + static_cast<std::size_t>(row * CellSize + y) * ScreenWidth + column * CellSize;
                for (int x = 0; x < CellSize; ++x) {
                    ++count[NumberOf(line[x])];
                    brightest = std::max<int>(brightest, line[x]);
                }
            }
            const bool anyBright = brightest > ColourIndex(0, 1);
            // The first maximum, so equal counts give the lower number.
            const int paper = static_cast<int>(std::max_element(count.begin(), count.end()) - count.begin());
            int ink = 7 - paper;
            for (int number = 0; number < 8; ++number)
                if (number != paper && count[number] > 0)
                    ink = number;
            const bool lit = bright == Bright::Always || (bright == Bright::Auto && anyBright);
            bytes[screen::AttributeOffset(column, row)] = screen::MakeAttribute(ink, paper, lit);
            for (int y = 0; y < CellSize; ++y) {
                const std::uint8_t* line =
                    drawing.data() + static_cast<std::size_t>(row * CellSize + y) * ScreenWidth + column * CellSize;
                std::uint8_t bits = 0;
                for (int x = 0; x < CellSize; ++x)
                    bits = static_cast<std::uint8_t>(bits | (NumberOf(line[x]) != paper) << (7 - x));
                bytes[screen::PixelByteOffset(column * CellSize, row * CellSize + y)] = bits;
            }
        }
    return bytes;
}

std::vector<Clash> ClashingCells(const Picture& picture, const ScreenColours& colours) {
    std::vector<Clash> clashes;
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column) {
            Clash cell{column, row, {}};
            std::vector<int> numbers;
            bool strange = false, plain = false, lit = false;
            for (int y = 0; y < CellSize; ++y)
                for (int x = 0; x < CellSize; ++x) {
                    const Rgb colour = picture.at(column * CellSize + x, row * CellSize + y);
                    if (std::find(cell.colours.begin(), cell.colours.end(), colour) != cell.colours.end())
                        continue;
                    cell.colours.push_back(colour);
                    const int index = IndexOf(colour, colours);
                    strange = strange || index < 0;
                    if (index < 0 || NumberOf(index) == 0)
                        continue;
                    (BrightOf(index) ? lit : plain) = true;
                    numbers.push_back(NumberOf(index));
                }
            const bool black =
                std::find(cell.colours.begin(), cell.colours.end(), colours.srgb[0]) != cell.colours.end();
            if (strange || (plain && lit) || cell.colours.size() > 2 || numbers.size() + (black ? 1 : 0) > 2)
                clashes.push_back(std::move(cell));
        }
    return clashes;
}

std::optional<Drawing> ExactDrawing(const Picture& picture, const ScreenColours& colours, Bright bright) {
    Drawing drawing(picture.pixels.size());
    for (int row = 0; row < screen::CellRows; ++row)
        for (int column = 0; column < screen::CellColumns; ++column) {
            // Colour numbers first, BRIGHT once the cell is read: black
            // takes the brightness of the rest.
            int lit = -1;  // -1 while only black is seen
            // The cell's colours so far, as keys, and their numbers (black
            // has one colour in both brightnesses, so colours and numbers
            // match); an unused key has its top byte set, which no colour's has.
            std::uint32_t known[2] = {~0u, ~0u};
            int numbers[2] = {0, 0};
            int count = 0;
            for (int y = 0; y < CellSize; ++y) {
                const Rgb* line = picture.pixels.data() + static_cast<std::size_t>(row * CellSize + y) * ScreenWidth +
                                  column * CellSize;
                std::uint8_t* out =
                    drawing.data() + static_cast<std::size_t>(row * CellSize + y) * ScreenWidth + column * CellSize;
                for (int x = 0; x < CellSize; ++x) {
                    const std::uint32_t key = line[x].red | line[x].green << 8 | line[x].blue << 16;
                    if (key == known[0]) {
                        out[x] = static_cast<std::uint8_t>(numbers[0]);
                        continue;
                    }
                    if (key == known[1]) {
                        out[x] = static_cast<std::uint8_t>(numbers[1]);
                        continue;
                    }
                    const int index = IndexOf(line[x], colours);
                    if (index < 0 || count == 2)
                        return std::nullopt;
                    if (NumberOf(index) != 0) {
                        if (lit >= 0 && lit != BrightOf(index))
                            return std::nullopt;
                        lit = BrightOf(index);
                    }
                    known[count] = key;
                    numbers[count++] = NumberOf(index);
                    out[x] = static_cast<std::uint8_t>(NumberOf(index));
                }
            }
            if ((bright == Bright::Never && lit == 1) || (bright == Bright::Always && lit == 0))
                return std::nullopt;
            const int cellBright = bright == Bright::Always || lit == 1 ? 1 : 0;
            for (int y = 0; y < CellSize; ++y)
                for (int x = 0; x < CellSize; ++x)
                    drawing[static_cast<std::size_t>(row * CellSize + y) * ScreenWidth + column * CellSize + x] +=
                        static_cast<std::uint8_t>(ColourIndex(0, cellBright));
        }
    return drawing;
}

std::string ClashList(const std::vector<Clash>& clashes) {
    std::string list;
    for (const Clash& clash : clashes) {
        list += (list.empty() ? "(" : ", (") + std::to_string(clash.column) + "," + std::to_string(clash.row) + ")";
        for (const Rgb c : clash.colours) {
            char hex[9];
            std::snprintf(hex, sizeof hex, " #%02X%02X%02X", c.red, c.green, c.blue);
            list += hex;
        }
    }
    return list;
}

}  // namespace picture_in
