// ZX-Paintbrush's text pictures: a title line, the pixels as lines of 0 and 1,
// the attributes as lines of hex bytes (one a character row, or one a pixel
// line for 8x1 cells), and optionally a ULAplus palette line.

#include <optional>
#include <string_view>
#include <vector>

#include "modes/cells.h"
#include "modes/decode_support.h"

namespace modes {
namespace {

using screen::CellSize;

struct Paintbrush {
    std::vector<std::string_view> pixelLines;
    std::vector<std::vector<std::uint8_t>> attributeLines;
    std::vector<std::uint8_t> ulaPlus;
    int cellHeight = CellSize;
};

// The lines of the text, CR LF or LF ended.
std::vector<std::string_view> LinesOf(Bytes bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Hex bytes of one or two digits separated by single spaces.
std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view line) {
    std::vector<std::uint8_t> values;
    std::size_t i = 0;
    while (i < line.size()) {
        int value = 0, digits = 0;
        for (; i < line.size() && line[i] != ' '; ++i, ++digits) {
            const int digit = HexDigit(line[i]);
            if (digit < 0 || digits == 2)
                return std::nullopt;
            value = value * 16 + digit;
        }
        if (digits == 0)
            return std::nullopt;
        values.push_back(static_cast<std::uint8_t>(value));
        if (i < line.size() && ++i == line.size())
            return std::nullopt;  // a space at the end
    }
    return values;
}

// Hex bytes of two digits each, written together.
std::optional<std::vector<std::uint8_t>> PackedHexBytes(std::string_view line) {
    std::vector<std::uint8_t> values;
    for (std::size_t i = 0; i + 1 < line.size(); i += 2) {
        const int high = HexDigit(line[i]), low = HexDigit(line[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        values.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return values;
}

std::optional<Paintbrush> Parse(Bytes bytes) {
    if (bytes.size() > ZxpMaxBytes)
        return std::nullopt;
    const auto lines = LinesOf(bytes);
    if (lines.size() < 5 || (lines[0] != "ZX-Paintbrush image" && lines[0] != "ZX-Paintbrush extended image") ||
        !lines[1].empty())
        return std::nullopt;
    Paintbrush picture;
    std::size_t i = 2;
    for (; i < lines.size() && !lines[i].empty(); ++i) {
        if (lines[i].size() != lines[2].size() || lines[i].find_first_not_of("01*") != std::string_view::npos)
            return std::nullopt;
        picture.pixelLines.push_back(lines[i]);
    }
    const std::size_t width = lines[2].size(), height = picture.pixelLines.size();
    if (height == 0 || width > static_cast<std::size_t>(MaxPictureSide) ||
        height > static_cast<std::size_t>(MaxPictureSide))
        return std::nullopt;
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
        auto values = HexBytes(lines[i]);
        if (!values || values->size() != (width + CellSize - 1) / CellSize)
            return std::nullopt;
        picture.attributeLines.push_back(std::move(*values));
    }
    const std::size_t rows = picture.attributeLines.size();
    if (rows == height)
        picture.cellHeight = 1;
    else if (rows != (height + CellSize - 1) / CellSize)
        return std::nullopt;
    for (; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        auto palette = lines[i].size() == 2 * UlaPlusPaletteSize ? PackedHexBytes(lines[i]) : HexBytes(lines[i]);
        if (!picture.ulaPlus.empty() || !palette || palette->size() != UlaPlusPaletteSize)
            return std::nullopt;
        picture.ulaPlus = std::move(*palette);
    }
    return picture;
}

}  // namespace

// The shortest: the title, a blank line, one pixel, a blank line, one attribute.
bool ZxpSize(std::uint64_t size) { return size >= 25 && size <= ZxpMaxBytes; }

bool ZxpAccepts(Bytes bytes) { return Parse(bytes).has_value(); }

Decoded DecodeZxp(Bytes bytes, screen::FlashPhase phase) {
    const auto parsed = Parse(bytes);
    if (!parsed)
        return NotThisFormat("not a ZX-Paintbrush picture");
    const int width = static_cast<int>(parsed->pixelLines[0].size());
    const int height = static_cast<int>(parsed->pixelLines.size());
    screen::DecodedPicture picture = BlankPicture(width, height, 1);
    const AttributeColours how{phase, false, parsed->ulaPlus.empty() ? nullptr : parsed->ulaPlus.data()};
    for (int y = 0; y < height; ++y) {
        const auto& attributes = parsed->attributeLines[y / parsed->cellHeight];
        for (int x = 0; x < width; ++x)
            picture.at(0, x, y) = ColoursOf(attributes[x / CellSize], how)[parsed->pixelLines[y][x] == '1'];
    }
    return picture;
}

}  // namespace modes
