// Screens with the border drawn around them (384x304, the screen at (64, 64)):
// .bsc and .bmc4 with their border as fixed 8-pixel segments, .bsp with one
// or two screens and run-length borders.

#include <algorithm>
#include <optional>

#include "modes/cell_formats.h"
#include "modes/decode_support.h"
#include "modes/encoders.h"

namespace modes {

using screen::AttributeCount;
using screen::BitmapSize;
using screen::CellSize;
using screen::LineBytes;
using screen::ScreenHeight;
using screen::ScreenSize;
using screen::ScreenWidth;

namespace {

constexpr int BorderedWidth = 384, BorderedHeight = 304, ScreenLeft = 64, ScreenTop = 64;
constexpr int SideWidth = (BorderedWidth - ScreenWidth) / 2;
constexpr int SegmentWidth = 8;
constexpr std::size_t BorderBytes =
    (BorderedHeight - ScreenHeight) * (BorderedWidth / 16) + ScreenHeight * (2 * SideWidth / 16);
static_assert(BorderBytes == 4224);
constexpr std::size_t BscSize = ScreenSize + BorderBytes;                    // 11136
constexpr std::size_t Bmc4Size = ScreenSize + AttributeCount + BorderBytes;  // 11904

bool InScreenLines(int y) { return y >= ScreenTop && y < ScreenTop + ScreenHeight; }

// The spans of line y outside the screen: the whole line, or its two sides.
int BorderSpans(int y, std::array<std::pair<int, int>, 2>& spans) {
    if (!InScreenLines(y)) {
        spans[0] = {0, BorderedWidth};
        return 1;
    }
    spans[0] = {0, ScreenLeft};
    spans[1] = {ScreenLeft + ScreenWidth, BorderedWidth};
    return 2;
}

void Fill(screen::DecodedPicture& picture, int frame, int y, int from, int to, int colour) {
    std::fill(&picture.at(frame, from, y), &picture.at(frame, from, y) + (to - from),
              screen::SpectrumColour(colour, false));
}

// Two 8-pixel segments a byte, bits 0-2 the left one's colour.
void PaintSegments(Bytes bytes, std::size_t at, screen::DecodedPicture& picture) {
    std::array<std::pair<int, int>, 2> spans;
    for (int y = 0; y < BorderedHeight; ++y) {
        const int count = BorderSpans(y, spans);
        for (int s = 0; s < count; ++s)
            for (int x = spans[s].first; x < spans[s].second; x += 2 * SegmentWidth) {
                const std::uint8_t pair = bytes[at++];
                Fill(picture, 0, y, x, x + SegmentWidth, pair & 7);
                Fill(picture, 0, y, x + SegmentWidth, x + 2 * SegmentWidth, (pair >> 3) & 7);
            }
    }
}

// Runs restart on every span; bytes run out into black.
void PaintRuns(Bytes bytes, std::size_t at, screen::DecodedPicture& picture, int frame) {
    std::array<std::pair<int, int>, 2> spans;
    for (int y = 0; y < BorderedHeight; ++y) {
        const int count = BorderSpans(y, spans);
        for (int s = 0; s < count; ++s) {
            for (int x = spans[s].first; x < spans[s].second;) {
                const int end = spans[s].second;
                if (at >= bytes.size()) {
                    Fill(picture, frame, y, x, end, 0);
                    break;
                }
                const std::uint8_t run = bytes[at++];
                const int code = run >> 3;
                int length = end - x;
                if (code == 1 && at < bytes.size()) {
                    const int units = bytes[at++];
                    if (units != 0)
                        length = 2 * units;
                } else if (code == 2) {
                    length = 2 * 12;
                } else if (code >= 3) {
                    length = 2 * (code + 13);
                }
                length = std::min(length, end - x);
                Fill(picture, frame, y, x, x + length, run & 7);
                x += length;
            }
        }
    }
}

}  // namespace

Decoded DecodeBorderScreen(Bytes bytes, screen::FlashPhase phase) {
    if (auto sized = CheckSize(bytes, {BscSize, Bmc4Size}); !sized)
        return sized.error();
    CellFrames cells;
    ReadPart(bytes, StandardScreenAt(0), cells, 0);
    if (bytes.size() == Bmc4Size) {
        // The first attribute table colours the upper four lines of each character
        // row, the second table the lower four.
        for (int y = 0; y < ScreenHeight; ++y) {
            const std::size_t table = y % CellSize < CellSize / 2 ? BitmapSize : ScreenSize;
            std::copy_n(bytes.data() + table + (y / CellSize) * LineBytes, LineBytes,
                        cells.AttributesOf(0) + y * LineBytes);
        }
    }
    screen::DecodedPicture picture = BlankPicture(BorderedWidth, BorderedHeight, 1);
    PaintSegments(bytes, bytes.size() - BorderBytes, picture);
    PaintCells(cells, {phase, false, nullptr}, picture, ScreenLeft, ScreenTop);
    return picture;
}

// The border must be of plain colours, even across each 8-pixel segment.
Encoded EncodeBorderScreen(const screen::DecodedPicture& picture) {
    if (picture.width != BorderedWidth || picture.height != BorderedHeight || picture.frames != 1 ||
        picture.rowRepeat != 1)
        return ModeError(ModeErrc::DoesNotFit, "not a bordered picture of one frame (384x304)");
    screen::DecodedPicture inner = BlankPicture(ScreenWidth, ScreenHeight, 1);
    for (int y = 0; y < ScreenHeight; ++y)
        std::copy_n(CodesAt(picture, 0, ScreenLeft, ScreenTop + y), ScreenWidth, &inner.at(0, 0, y));
    auto cells = FitCells(inner, CellSize, Palette::Spectrum);
    if (!cells)
        return cells.error();
    auto screenBytes = WriteCells(ClassicCells, *cells);
    if (!screenBytes)
        return screenBytes.error();
    std::vector<std::uint8_t> out = std::move(*screenBytes);
    std::array<std::pair<int, int>, 2> spans;
    for (int y = 0; y < BorderedHeight; ++y) {
        const int count = BorderSpans(y, spans);
        for (int s = 0; s < count; ++s)
            for (int x = spans[s].first; x < spans[s].second; x += 2 * SegmentWidth) {
                std::array<int, 2> colours{};
                for (int half = 0; half < 2; ++half) {
                    const screen::ColourCode* segment = CodesAt(picture, 0, x + half * SegmentWidth, y);
                    if (std::any_of(segment, segment + SegmentWidth, [&](auto c) { return c != segment[0]; }) ||
                        segment[0] >= 8)
                        return ModeError(ModeErrc::DoesNotFit,
                                         "the border at pixel (" + std::to_string(x + half * SegmentWidth) + ", " +
                                             std::to_string(y) + ") is not one plain colour for 8 pixels");
                    colours[half] = segment[0];
                }
                out.push_back(static_cast<std::uint8_t>(colours[0] | colours[1] << 3));
            }
    }
    return out;
}

namespace {

struct BspLayout {
    bool border = false;
    int frames = 1;
    std::array<std::size_t, 2> screens{};
    std::array<std::size_t, 2> borders{};
};

constexpr std::size_t BspHeader = 70;

std::optional<BspLayout> BspLayoutOf(Bytes bytes) {
    if (bytes.size() < BspHeader + ScreenSize || bytes.size() > BspMaxBytes)
        return std::nullopt;
    BspLayout layout;
    layout.border = (bytes[3] & 0x40) != 0;
    layout.frames = (bytes[3] & 0x80) ? 2 : 1;
    if (layout.frames == 1) {
        layout.screens = {BspHeader, 0};
        layout.borders = {BspHeader + ScreenSize, 0};
        return layout;
    }
    if (!layout.border) {
        if (bytes.size() != BspHeader + 2 * ScreenSize)
            return std::nullopt;
        layout.screens = {BspHeader, BspHeader + ScreenSize};
        return layout;
    }
    // Two bordered frames: a 16-bit offset of the second border after the header.
    const std::size_t first = BspHeader + 2;
    if (bytes.size() < first + 2 * ScreenSize)
        return std::nullopt;
    layout.screens = {first, first + ScreenSize};
    layout.borders = {first + 2 * ScreenSize, static_cast<std::size_t>(Little16(bytes, BspHeader))};
    return layout;
}

}  // namespace

bool BspSize(std::uint64_t size) { return size >= BspHeader + ScreenSize && size <= BspMaxBytes; }

bool BspAccepts(Bytes bytes) { return BspLayoutOf(bytes).has_value(); }

Decoded DecodeBsp(Bytes bytes, screen::FlashPhase phase) {
    const auto layout = BspLayoutOf(bytes);
    if (!layout)
        return NotThisFormat("not a .bsp of " + std::to_string(bytes.size()) + " bytes");
    CellFrames cells(layout->frames);
    for (int frame = 0; frame < layout->frames; ++frame)
        ReadPart(bytes, StandardScreenAt(layout->screens[frame]), cells, frame);
    if (!layout->border)
        return PaintCells(cells, {phase, false, nullptr});
    screen::DecodedPicture picture = BlankPicture(BorderedWidth, BorderedHeight, layout->frames);
    for (int frame = 0; frame < layout->frames; ++frame)
        PaintRuns(bytes, layout->borders[frame], picture, frame);
    PaintCells(cells, {phase, false, nullptr}, picture, ScreenLeft, ScreenTop);
    return picture;
}

}  // namespace modes
