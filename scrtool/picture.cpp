#include "scrtool/picture.h"

#include <algorithm>
#include <array>

namespace scrtool {
namespace {

// The colours an attribute can show, numbered colour + 8 x BRIGHT, and
// merged where they coincide (black is black with or without BRIGHT), so
// that the grid's blue usually needs no entry of its own.
struct ColourTable {
    std::vector<render::Rgb> colours;
    std::array<std::uint8_t, 16> slot{};
    std::uint8_t grid = 0;
};

std::uint8_t EntryFor(std::vector<render::Rgb>& colours, render::Rgb colour) {
    const auto found = std::find(colours.begin(), colours.end(), colour);
    if (found != colours.end())
        return static_cast<std::uint8_t>(found - colours.begin());
    colours.push_back(colour);
    return static_cast<std::uint8_t>(colours.size() - 1);
}

ColourTable MakeColourTable(render::Palette palette) {
    ColourTable table;
    for (int i = 0; i < 16; ++i)
        table.slot[i] = EntryFor(table.colours, render::PaletteColour(i & 7, i >= 8, palette));
    table.grid = EntryFor(table.colours, render::GridColour);
    return table;
}

// Each pixel of a screen line repeated `Scale` times. A fixed count lets the
// compiler write the copies directly; a count known only at run time turned
// every pixel into a call to memset, the most of the drawing's time.
template <int Scale>
void WidenLineBy(const std::uint8_t* line, std::uint8_t* out) {
    for (int x = 0; x < screen::ScreenWidth; ++x, out += Scale)
        for (int copy = 0; copy < Scale; ++copy)
            out[copy] = line[x];
}

void WidenLine(const std::uint8_t* line, std::uint8_t* out, int scale) {
    switch (scale) {
    case 1: std::copy_n(line, screen::ScreenWidth, out); return;
    case 2: WidenLineBy<2>(line, out); return;
    case 3: WidenLineBy<3>(line, out); return;
    case 4: WidenLineBy<4>(line, out); return;
    default:
        for (int x = 0; x < screen::ScreenWidth; ++x, out += scale)
            std::fill_n(out, scale, line[x]);
    }
}

}  // namespace

IndexedPicture DrawView(const Screen& screen, render::View view, int scale, Grid grid, render::Palette palette) {
    const ColourTable table = MakeColourTable(palette);
    IndexedPicture picture;
    picture.width = screen::ScreenWidth * scale;
    picture.height = screen::ScreenHeight * scale;
    picture.palette = table.colours;
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    const int cellSpan = screen::CellSize * scale;
    std::array<std::uint8_t, screen::ScreenWidth> line{};
    for (int y = 0; y < screen::ScreenHeight; ++y) {
        for (int column = 0; column < screen::CellColumns; ++column) {
            const std::uint8_t cellAttr = screen[screen::AttributeOffset(column, y / screen::CellSize)];
            const std::uint8_t attr = render::AttributeUsed(view, cellAttr, false);
            const int bright = screen::isBright(attr) ? 8 : 0;
            const std::uint8_t ink = table.slot[screen::inkOf(attr) + bright];
            const std::uint8_t paper = table.slot[screen::paperOf(attr) + bright];
            const std::uint8_t bits = screen[screen::PixelByteOffset(column * screen::CellSize, y)];
            std::uint8_t* out = line.data() + column * screen::CellSize;
            for (int m = 0; m < screen::CellSize; ++m)
                out[m] = (bits >> (7 - m)) & 1 ? ink : paper;
        }
        std::uint8_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * scale * picture.width;
        WidenLine(line.data(), row, scale);
        for (int copy = 1; copy < scale; ++copy)
            std::copy_n(row, picture.width, row + copy * picture.width);
    }
    if (grid == Grid::On) {
        std::uint8_t* pixel = picture.pixels.data();
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x, ++pixel)
                if (render::OnGrid(x, y, cellSpan))
                    *pixel = table.grid;
    }
    return picture;
}

RgbPicture ToRgb(const IndexedPicture& picture) {
    RgbPicture rgb{picture.width, picture.height, {}};
    rgb.pixels.reserve(picture.pixels.size());
    for (const std::uint8_t index : picture.pixels)
        rgb.pixels.push_back(picture.palette[index]);
    return rgb;
}

Screen SecondFlashPhase(const Screen& screen) {
    Screen phase = screen;
    for (int offset = screen::AttributeStart; offset < screen::ScreenSize; ++offset) {
        const std::uint8_t attribute = phase[offset];
        if (attribute & screen::FlashBit)
            phase[offset] = static_cast<std::uint8_t>((attribute & (screen::FlashBit | screen::BrightBit)) |
                                                      screen::inkOf(attribute) << 3 | screen::paperOf(attribute));
    }
    return phase;
}

RgbPicture FitInto(const RgbPicture& picture, int size) {
    RgbPicture fitted;
    const bool wide = picture.width >= picture.height;
    fitted.width = wide ? size : std::max(1, (picture.width * size + picture.height / 2) / picture.height);
    fitted.height = wide ? std::max(1, (picture.height * size + picture.width / 2) / picture.width) : size;
    fitted.pixels.resize(static_cast<std::size_t>(fitted.width) * fitted.height);
    // Old pixel i has its centre at i + 0.5; new pixel j spans
    // [j x old / new, (j + 1) x old / new). In units of 1 / (2 x new) all of
    // this is whole numbers.
    const auto span = [](int j, int oldSize, int newSize) {
        const int first = (2 * j * oldSize - newSize + 2 * newSize - 1) / (2 * newSize);
        const int last = (2 * (j + 1) * oldSize - newSize + 2 * newSize - 1) / (2 * newSize);  // exclusive
        if (first < last)
            return std::pair{first, last};
        const int nearest = std::min(oldSize - 1, ((2 * j + 1) * oldSize) / (2 * newSize));
        return std::pair{nearest, nearest + 1};
    };
    for (int j = 0; j < fitted.height; ++j) {
        const auto [top, bottom] = span(j, picture.height, fitted.height);
        for (int i = 0; i < fitted.width; ++i) {
            const auto [left, right] = span(i, picture.width, fitted.width);
            unsigned red = 0, green = 0, blue = 0;
            for (int y = top; y < bottom; ++y) {
                for (int x = left; x < right; ++x) {
                    const render::Rgb c = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
                    red += c.red;
                    green += c.green;
                    blue += c.blue;
                }
            }
            const unsigned count = static_cast<unsigned>((bottom - top) * (right - left));
            const auto mean = [count](unsigned sum) { return static_cast<std::uint8_t>((sum + count / 2) / count); };
            fitted.pixels[static_cast<std::size_t>(j) * fitted.width + i] = {mean(red), mean(green), mean(blue)};
        }
    }
    return fitted;
}

}  // namespace scrtool
