#include "modes/convert.h"

#include <algorithm>
#include <optional>

#include "modes/cell_formats.h"
#include "modes/mode_error.h"

namespace modes {
namespace {

using screen::AttributeCount;
using screen::CellColumns;
using screen::ScreenHeight;
using screen::ScreenWidth;

// .bsc and .bmc4: the screen area's cells, then the border's 8-pixel
// segments, two to a byte, in the file's last 4224 bytes.
constexpr std::size_t BorderBytes = 4224;
constexpr int ScreenLeft = 64, ScreenTop = 64, BorderedWidth = 384, BorderedHeight = 304;
constexpr int HalfCell = screen::CellSize / 2;
constexpr int HalfRows = ScreenHeight / HalfCell;

// .bsc's screen area is a classic screen at its start.
constexpr CellFormat BscCells{ScreenSize + BorderBytes, 1, {StandardScreenAt(0)}, 0, false};
// .bmc4's with its attribute rows of four lines one after another, which the
// file keeps as the upper halves' table, then the lower halves'.
constexpr CellFormat HalfRowCells{
    ScreenSize + AttributeCount, 1, {ScreenPart{0, Order::Interleaved, AttributeStart, HalfCell}}, 0, false};

// Where 4-line attribute row r lies in .bmc4.
std::size_t Bmc4Row(int row) {
    return AttributeStart + static_cast<std::size_t>(row % 2) * AttributeCount +
           static_cast<std::size_t>(row / 2) * CellColumns;
}

enum class Bordered { No, Bsc, Bmc4 };

Bordered BorderedKind(const PictureMode& mode) {
    return mode.name == "bsc" ? Bordered::Bsc : mode.name == "bmc4" ? Bordered::Bmc4 : Bordered::No;
}

// A file's cells and, for a bordered one, its border bytes.
struct Source {
    CellFrames cells;
    Bytes border;
};

std::optional<Source> ReadSource(const PictureMode& from, Bytes bytes) {
    const Bordered bordered = BorderedKind(from);
    const CellFormat* format = bordered == Bordered::Bsc ? &BscCells : CellFormatOfRow(from.name);
    const std::size_t size = bordered == Bordered::Bmc4 ? HalfRowCells.size + BorderBytes : format ? format->size : 0;
    if (size == 0 || bytes.size() < size)
        return std::nullopt;
    Source source;
    if (bordered == Bordered::Bmc4) {
        std::vector<std::uint8_t> rows(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(HalfRowCells.size));
        for (int row = 0; row < HalfRows; ++row)
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(Bmc4Row(row)), CellColumns,
                        rows.begin() + static_cast<std::ptrdiff_t>(AttributeStart) + row * CellColumns);
        source.cells = ReadCells(HalfRowCells, rows);
    } else {
        source.cells = ReadCells(*format, bytes);
    }
    // FLASH has no meaning where the source mode ignores it, and the bordered
    // modes have it (as TranscodeCells does).
    if (format && format->flashIgnored && source.cells.ulaPlus.empty())
        for (std::uint8_t& attribute : source.cells.attributes)
            attribute &= static_cast<std::uint8_t>(~screen::FlashBit);
    if (bordered != Bordered::No)
        source.border = bytes.subspan(size - BorderBytes, BorderBytes);
    return source;
}

// The cells in a bordered mode, the source's border kept or black.
base::Result<std::vector<std::uint8_t>> WriteBordered(Bordered kind, const Source& source) {
    auto written = WriteCells(kind == Bordered::Bsc ? BscCells : HalfRowCells, source.cells);
    if (!written)
        return written.error();
    std::vector<std::uint8_t> out = std::move(*written);
    if (kind == Bordered::Bmc4) {
        const std::vector<std::uint8_t> rows = out;
        for (int row = 0; row < HalfRows; ++row)
            std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(AttributeStart) + row * CellColumns, CellColumns,
                        out.begin() + static_cast<std::ptrdiff_t>(Bmc4Row(row)));
        out.resize(out.size() + BorderBytes);
    }
    if (!source.border.empty())
        std::copy(source.border.begin(), source.border.end(), out.end() - static_cast<std::ptrdiff_t>(BorderBytes));
    return out;
}

// The picture's screen area, every frame, where it is a bordered picture
// and the target has no border; the picture on a black border where it is
// a screen's and the target has one; else the picture as it is.
screen::DecodedPicture Reframed(const screen::DecodedPicture& picture, const PictureMode& to, bool& dropped) {
    const bool bordered = picture.width == BorderedWidth && picture.height == BorderedHeight;
    const bool plain = picture.width == ScreenWidth && picture.height == ScreenHeight && picture.rowRepeat == 1;
    const bool targetBordered = to.border.left > 0;
    if (!(bordered && !targetBordered) && !(plain && targetBordered))
        return picture;
    const int x = bordered ? ScreenLeft : 0, y = bordered ? ScreenTop : 0;
    const int toX = bordered ? 0 : ScreenLeft, toY = bordered ? 0 : ScreenTop;
    screen::DecodedPicture out = bordered ? BlankPicture(ScreenWidth, ScreenHeight, picture.frames)
                                          : BlankPicture(BorderedWidth, BorderedHeight, picture.frames);
    for (int frame = 0; frame < picture.frames; ++frame)
        for (int line = 0; line < ScreenHeight; ++line)
            std::copy_n(CodesAt(picture, frame, x, y + line), ScreenWidth, &out.at(frame, toX, toY + line));
    dropped = bordered;
    return out;
}

}  // namespace

base::Result<Converted> ConvertExactly(const PictureMode& from, Bytes bytes, const PictureMode& to) {
    const CellFormat* source = CellFormatOfRow(from.name);
    const CellFormat* target = CellFormatOfRow(to.name);
    if (source != nullptr && target != nullptr) {
        auto transcoded = TranscodeCells(*source, bytes, *target);
        if (!transcoded)
            return transcoded.error();
        return Converted{std::move(*transcoded), false};
    }
    const Bordered fromBordered = BorderedKind(from), toBordered = BorderedKind(to);
    if ((fromBordered != Bordered::No || toBordered != Bordered::No) &&
        (toBordered != Bordered::No || target != nullptr))
        if (const std::optional<Source> cells = ReadSource(from, bytes)) {
            auto written =
                toBordered != Bordered::No ? WriteBordered(toBordered, *cells) : WriteCells(*target, cells->cells);
            if (!written)
                return written.error();
            return Converted{std::move(*written), fromBordered != Bordered::No && toBordered == Bordered::No};
        }
    if (to.encode == nullptr)
        return ModeError(ModeErrc::DoesNotFit, "no picture is written in the " + std::string(to.name) + " mode");
    auto picture = from.decode(bytes, screen::FlashPhase::First);
    if (!picture)
        return picture.error();
    Converted converted;
    auto encoded = to.encode(Reframed(*picture, to, converted.borderDropped));
    if (!encoded)
        return encoded.error();
    converted.bytes = std::move(*encoded);
    return converted;
}

}  // namespace modes
