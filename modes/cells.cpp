#include "modes/cells.h"

#include <cstring>

#include "modes/mode_error.h"

namespace modes {

using screen::CellSize;
using screen::LineAddressTable;
using screen::LineBytes;
using screen::ScreenHeight;

std::size_t ScreenPart::AttributeBytes() const {
    return cellHeight == InterleavedAttributes ? FrameBytes : FrameBytes / static_cast<std::size_t>(cellHeight);
}

namespace {

std::size_t BitmapLine(Order order, int y) { return static_cast<std::size_t>(LineOffset(order, y)); }

std::size_t AttributeLine(int cellHeight, int y) {
    return cellHeight == InterleavedAttributes ? LineAddressTable[y]
                                               : static_cast<std::size_t>(y / cellHeight) * LineBytes;
}

}  // namespace

std::string CellPlace(int frame, int x, int y) {
    return "the cell at pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") of frame " +
           std::to_string(frame + 1);
}

void ReadPart(std::span<const std::uint8_t> bytes, const ScreenPart& part, CellFrames& into, int frame) {
    std::uint8_t* bits = into.BitsOf(frame);
    std::uint8_t* attributes = into.AttributesOf(frame);
    for (int y = 0; y < ScreenHeight; ++y) {
        std::memcpy(bits + y * LineBytes, bytes.data() + part.bitmapAt + BitmapLine(part.order, y), LineBytes);
        std::memcpy(attributes + y * LineBytes, bytes.data() + part.attributesAt + AttributeLine(part.cellHeight, y),
                    LineBytes);
    }
}

CellFrames ReadCells(const CellFormat& format, std::span<const std::uint8_t> bytes) {
    CellFrames cells(format.frames);
    for (int frame = 0; frame < format.frames; ++frame)
        ReadPart(bytes, format.parts[frame], cells, frame);
    if (format.paletteAt != 0) {
        const auto palette = bytes.subspan(format.paletteAt, UlaPlusPaletteSize);
        cells.ulaPlus.assign(palette.begin(), palette.end());
    }
    return cells;
}

base::Status WritePart(const CellFrames& cells, int frame, const ScreenPart& part, std::span<std::uint8_t> out) {
    const std::uint8_t* bits = cells.BitsOf(frame);
    const std::uint8_t* attributes = cells.AttributesOf(frame);
    for (int y = 0; y < ScreenHeight; ++y) {
        std::memcpy(out.data() + part.bitmapAt + BitmapLine(part.order, y), bits + y * LineBytes, LineBytes);
        const bool firstOfRow = part.cellHeight == InterleavedAttributes || y % part.cellHeight == 0;
        std::uint8_t* row = out.data() + part.attributesAt + AttributeLine(part.cellHeight, y);
        if (firstOfRow) {
            std::memcpy(row, attributes + y * LineBytes, LineBytes);
            continue;
        }
        for (int k = 0; k < LineBytes; ++k)
            if (row[k] != attributes[y * LineBytes + k])
                return ModeError(ModeErrc::DoesNotFit, CellPlace(frame, k * CellSize, y - y % part.cellHeight) +
                                                           " changes attribute at line " + std::to_string(y) +
                                                           ", but the mode keeps one for " +
                                                           std::to_string(part.cellHeight) + " lines");
    }
    return base::Done{};
}

base::Result<std::vector<std::uint8_t>> WriteCells(const CellFormat& format, const CellFrames& cells) {
    if (cells.ulaPlus.empty() != (format.paletteAt == 0))
        return ModeError(ModeErrc::DoesNotFit, format.paletteAt == 0
                                                   ? "its ULAplus palette has no place in the mode"
                                                   : "it has no ULAplus palette, which the mode needs");
    if (cells.frames > format.frames) {
        for (int frame = format.frames; frame < cells.frames; ++frame)
            if (std::memcmp(cells.BitsOf(frame), cells.BitsOf(0), FrameBytes) != 0 ||
                std::memcmp(cells.AttributesOf(frame), cells.AttributesOf(0), FrameBytes) != 0)
                return ModeError(ModeErrc::DoesNotFit, "its " + std::to_string(cells.frames) +
                                                           " frames differ, and the mode has " +
                                                           std::to_string(format.frames));
    }
    std::vector<std::uint8_t> out(format.size);
    for (int frame = 0; frame < format.frames; ++frame) {
        auto written = WritePart(cells, std::min(frame, cells.frames - 1), format.parts[frame], out);
        if (!written)
            return written.error();
    }
    if (format.paletteAt != 0)
        std::memcpy(out.data() + format.paletteAt, cells.ulaPlus.data(), UlaPlusPaletteSize);
    return out;
}

base::Result<std::vector<std::uint8_t>> TranscodeCells(const CellFormat& from, std::span<const std::uint8_t> bytes,
                                                       const CellFormat& to) {
    if (bytes.size() < from.size)
        return ModeError(ModeErrc::Undecodable,
                         std::to_string(bytes.size()) + " bytes, the mode needs " + std::to_string(from.size));
    CellFrames cells = ReadCells(from, bytes);
    // FLASH has no meaning where the source mode ignores it; a target that has
    // it would start to flash, so the bit is cleared on the way.
    if (from.flashIgnored && !to.flashIgnored && cells.ulaPlus.empty())
        for (std::uint8_t& attribute : cells.attributes)
            attribute &= static_cast<std::uint8_t>(~screen::FlashBit);
    return WriteCells(to, cells);
}

std::array<screen::ColourCode, 2> ColoursOf(std::uint8_t attribute, const AttributeColours& how) {
    if (how.ulaPlus != nullptr) {
        const int group = ((attribute & screen::FlashBit) ? 32 : 0) + ((attribute & screen::BrightBit) ? 16 : 0);
        return {screen::UlaPlusColour(how.ulaPlus[group + 8 + screen::paperOf(attribute)]),
                screen::UlaPlusColour(how.ulaPlus[group + screen::inkOf(attribute)])};
    }
    const bool bright = screen::isBright(attribute);
    const screen::ColourCode ink = screen::SpectrumColour(screen::inkOf(attribute), bright);
    const screen::ColourCode paper = screen::SpectrumColour(screen::paperOf(attribute), bright);
    const bool swapped = (attribute & screen::FlashBit) && !how.flashIgnored && how.phase == screen::FlashPhase::Second;
    return swapped ? std::array{ink, paper} : std::array{paper, ink};
}

void PaintCell(screen::DecodedPicture& picture, int frame, int x0, int y0, const std::uint8_t* bitmap,
               std::uint8_t attribute, const AttributeColours& how) {
    const auto colours = ColoursOf(attribute, how);
    const int width = std::min(CellSize, picture.width - x0);
    const int height = std::min(CellSize, picture.height - y0);
    for (int y = 0; y < height; ++y) {
        screen::ColourCode* out = &picture.at(frame, x0, y0 + y);
        for (int x = 0; x < width; ++x)
            out[x] = colours[(bitmap[y] >> (7 - x)) & 1];
    }
}

void PaintCells(const CellFrames& cells, const AttributeColours& how, screen::DecodedPicture& picture, int left,
                int top) {
    AttributeColours colours = how;
    if (!cells.ulaPlus.empty())
        colours.ulaPlus = cells.ulaPlus.data();
    std::array<std::array<screen::ColourCode, 2>, 256> table;
    for (int attribute = 0; attribute < 256; ++attribute)
        table[attribute] = ColoursOf(static_cast<std::uint8_t>(attribute), colours);
    for (int frame = 0; frame < cells.frames; ++frame) {
        const std::uint8_t* bits = cells.BitsOf(frame);
        const std::uint8_t* attributes = cells.AttributesOf(frame);
        for (int y = 0; y < ScreenHeight; ++y) {
            screen::ColourCode* out = &picture.at(frame, left, top + y);
            for (int k = 0; k < LineBytes; ++k)
                PaintByte(out + k * 8, bits[y * LineBytes + k], table[attributes[y * LineBytes + k]]);
        }
    }
}

screen::DecodedPicture PaintCells(const CellFrames& cells, const AttributeColours& how) {
    screen::DecodedPicture picture = BlankPicture(screen::ScreenWidth, ScreenHeight, cells.frames);
    PaintCells(cells, how, picture);
    return picture;
}

}  // namespace modes
