// .chx tile sets: up to 256 tiles of cells, laid out 16 a row in boxes the
// size of the largest tile, on a checkerboard where no tile covers.

#include <algorithm>
#include <optional>
#include <string_view>

#include "modes/cells.h"
#include "modes/decode_support.h"

namespace modes {
namespace {

using screen::CellSize;

constexpr std::size_t ChxHeader = 5;
constexpr int TileCount = 256, TilesAcross = 16;
constexpr std::size_t OffsetsEnd = ChxHeader + 2 * TileCount;
constexpr std::size_t TileHeader = 3;                // transparent, columns, rows
constexpr std::uint8_t TransparentAttribute = 0x38;  // black on white

struct Tile {
    std::size_t at = 0;  // 0: none
    bool transparent = false;
    int columns = 0, rows = 0;
    std::size_t CellBytes() const { return transparent ? CellSize : CellSize + 1; }
};

struct TileSet {
    std::array<Tile, TileCount> tiles;
    int boxColumns = 0, boxRows = 0;  // the largest tile's size, in cells
};

std::optional<TileSet> TileSetOf(Bytes bytes) {
    if (bytes.size() < OffsetsEnd || bytes.size() > ChxMaxBytes || !StartsWith(bytes, std::string_view("CHX\0\0", 5)))
        return std::nullopt;
    TileSet set;
    for (int i = 0; i < TileCount; ++i) {
        const std::size_t at = static_cast<std::size_t>(Little16(bytes, ChxHeader + 2 * i));
        if (at == 0)
            continue;
        if (at + TileHeader > bytes.size())
            return std::nullopt;
        Tile& tile = set.tiles[i];
        tile = {at, bytes[at] != 0, bytes[at + 1], bytes[at + 2]};
        if (at + TileHeader + tile.CellBytes() * tile.columns * tile.rows > bytes.size())
            return std::nullopt;
        set.boxColumns = std::max(set.boxColumns, tile.columns);
        set.boxRows = std::max(set.boxRows, tile.rows);
    }
    const int most = MaxPictureSide / (TilesAcross * CellSize);
    if (set.boxColumns < 1 || set.boxRows < 1 || set.boxColumns > most || set.boxRows > most)
        return std::nullopt;
    return set;
}

}  // namespace

bool ChxSize(std::uint64_t size) { return size >= OffsetsEnd + TileHeader + CellSize && size <= ChxMaxBytes; }

bool ChxAccepts(Bytes bytes) { return TileSetOf(bytes).has_value(); }

Decoded DecodeChx(Bytes bytes, screen::FlashPhase phase) {
    const auto set = TileSetOf(bytes);
    if (!set)
        return NotThisFormat("not a .chx tile set of " + std::to_string(bytes.size()) + " bytes");
    const int boxWidth = set->boxColumns * CellSize, boxHeight = set->boxRows * CellSize;
    screen::DecodedPicture picture = BlankPicture(TilesAcross * boxWidth, TileCount / TilesAcross * boxHeight, 1);
    const screen::ColourCode black = screen::SpectrumColour(0, false), white = screen::SpectrumColour(7, false);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(0, x, y) = (x + y) % 2 == 0 ? black : white;
    for (int i = 0; i < TileCount; ++i) {
        const Tile& tile = set->tiles[i];
        if (tile.at == 0)
            continue;
        std::size_t at = tile.at + TileHeader;
        for (int row = 0; row < tile.rows; ++row)
            for (int column = 0; column < tile.columns; ++column, at += tile.CellBytes())
                PaintCell(picture, 0, i % TilesAcross * boxWidth + column * CellSize,
                          i / TilesAcross * boxHeight + row * CellSize, bytes.data() + at,
                          tile.transparent ? TransparentAttribute : bytes[at + CellSize], {phase, false, nullptr});
    }
    return picture;
}

}  // namespace modes
