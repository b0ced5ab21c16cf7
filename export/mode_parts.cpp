#include "export/mode_parts.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "screen/screen_layout.h"

namespace exporter {
namespace {

using modes::PictureMode;
using screen::BitmapSize;

// A ULAplus palette closes the file.
constexpr std::size_t UlaPlusPaletteSize = 64;
// MultiArtist's 8x1 attributes colour the middle 16 columns; the 8 columns
// at each side keep 8x8 cells.
constexpr std::size_t MiddleColumns = 16;
constexpr std::size_t MiddleAttributes = MiddleColumns * screen::ScreenHeight;
constexpr std::size_t SideAttributes = (screen::CellColumns - MiddleColumns) * screen::CellRows;

struct FrameRuns {
    Runs bitmap;
    Runs attributes;
};

bool WholePlanes(std::size_t size) { return size > 0 && size % BitmapSize == 0; }

// The mode's bitmap as the row places it: planes in screen order, or in
// linear order where it is one bitmap of the screen's own size (a font's
// glyphs and a picture of a byte per pixel are stored "linear" too, but hold
// no pixel lines of bits).
Run BitmapRun(const PictureMode& mode, const modes::Part& part) {
    if (part.order == modes::Order::Interleaved && WholePlanes(part.size))
        return {part.offset, part.size, Holds::Bitmap, true};
    const bool screenSized = mode.width == screen::ScreenWidth && mode.height == screen::ScreenHeight;
    if (part.order == modes::Order::Linear && part.size == BitmapSize && screenSized)
        return {part.offset, part.size, Holds::Bitmap, false};
    return {part.offset, part.size, Holds::Bytes};
}

// Attributes of 8x1 cells are a plane; coarser ones are bytes in a row's order.
Run AttributeRun(const PictureMode& mode, const modes::Part& part) {
    if (mode.cellHeight == 1 && part.order != modes::Order::None && WholePlanes(part.size))
        return {part.offset, part.size, Holds::Attributes, part.order == modes::Order::Interleaved};
    return {part.offset, part.size, Holds::Bytes};
}

Runs RowRuns(const modes::Part& part, const Run& run) {
    if (part.size == 0)
        return {};
    return {run};
}

// Two standard screens, one after the other.
FrameRuns Gigascreen(const PictureMode& mode, std::size_t frame) {
    const std::size_t shift = frame * screen::ScreenSize;
    return {{{mode.bitmap.offset + shift, mode.bitmap.size, Holds::Bitmap}},
            {{mode.attributes.offset + shift, mode.attributes.size, Holds::Bytes}}};
}

// Both bitmaps, then both attribute tables; in 8x1 files each table is the
// middle's and each frame's sides follow both middles.
FrameRuns MultiArtist(const PictureMode& mode, std::size_t frame) {
    const std::size_t bitmap = mode.bitmap.size / 2;
    FrameRuns runs{{{mode.bitmap.offset + frame * bitmap, bitmap, Holds::Bitmap}}, {}};
    const std::size_t start = mode.attributes.offset;
    if (mode.cellHeight != 1) {
        const std::size_t table = mode.attributes.size / 2;
        runs.attributes = {{start + frame * table, table, Holds::Bytes}};
    } else {
        runs.attributes = {{start + frame * MiddleAttributes, MiddleAttributes, Holds::Bytes},
                           {start + 2 * MiddleAttributes + frame * SideAttributes, SideAttributes, Holds::Bytes}};
    }
    return runs;
}

// One cell pattern both frames share, then each frame's attributes.
FrameRuns Hlr(const PictureMode& mode, std::size_t frame) {
    const std::size_t table = mode.attributes.size / 2;
    return {{{mode.bitmap.offset, mode.bitmap.size, Holds::Bytes}},
            {{mode.attributes.offset + frame * table, table, Holds::Bytes}}};
}

// Two hi-res pictures, each two bitmaps and a colour byte; the colour bytes
// stay in the whole file alone.
FrameRuns TimexHiResPair(const PictureMode& mode, std::size_t frame) {
    const std::size_t picture = mode.bitmap.size / 2;
    return {{{mode.bitmap.offset + frame * picture, 2 * static_cast<std::size_t>(BitmapSize), Holds::Bitmap}}, {}};
}

// Each 16-pixel strip's four bytes: frame 1's two, then frame 2's.
FrameRuns Stellar(const PictureMode& mode, std::size_t frame) {
    FrameRuns runs;
    for (std::size_t strip = 0; strip < mode.attributes.size; strip += 4)
        runs.attributes.push_back({mode.attributes.offset + strip + 2 * frame, 2, Holds::Bytes});
    return runs;
}

struct FrameRule {
    std::string_view mode;
    FrameRuns (*frame)(const PictureMode&, std::size_t frame);
};

// Where each frame of the two-frame modes lies; the rows say where the parts
// of all frames together lie. A mode whose header sets its frames (.bsp,
// .ch$) has none here: its file goes out whole.
constexpr std::array FrameRules{
    FrameRule{"gigascreen", Gigascreen}, FrameRule{"mg1", MultiArtist}, FrameRule{"mg2", MultiArtist},
    FrameRule{"mg4", MultiArtist},       FrameRule{"mg8", MultiArtist}, FrameRule{"hlr", Hlr},
    FrameRule{"hrg", TimexHiResPair},    FrameRule{"stl", Stellar},
};

std::vector<FrameRuns> Frames(const PictureMode& mode) {
    if (mode.frames == 1)
        return {{RowRuns(mode.bitmap, BitmapRun(mode, mode.bitmap)),
                 RowRuns(mode.attributes, AttributeRun(mode, mode.attributes))}};
    for (const FrameRule& rule : FrameRules)
        if (rule.mode == mode.name)
            return {rule.frame(mode, 0), rule.frame(mode, 1)};
    return {};
}

void Append(Runs& runs, const Runs& more) {
    for (const Run& run : more)
        if (std::find(runs.begin(), runs.end(), run) == runs.end())
            runs.push_back(run);
}

// The whole file, cut where its planes lie so that they may be reordered.
Runs WholeFile(const std::vector<FrameRuns>& frames, std::size_t size) {
    Runs planes;
    for (const FrameRuns& frame : frames)
        for (const Runs* runs : {&frame.bitmap, &frame.attributes})
            for (const Run& run : *runs)
                if (run.holds != Holds::Bytes)
                    Append(planes, {run});
    std::sort(planes.begin(), planes.end(), [](const Run& a, const Run& b) { return a.offset < b.offset; });
    Runs whole;
    std::size_t at = 0;
    for (const Run& plane : planes) {
        if (plane.offset > at)
            whole.push_back({at, plane.offset - at, Holds::Bytes});
        whole.push_back(plane);
        at = plane.offset + plane.size;
    }
    if (at < size)
        whole.push_back({at, size - at, Holds::Bytes});
    return whole;
}

Runs FramePart(const std::vector<FrameRuns>& frames, std::size_t frame, bool bitmap, bool attributes) {
    Runs runs;
    if (frames.size() < 2)
        return runs;
    if (bitmap)
        Append(runs, frames[frame].bitmap);
    if (attributes)
        Append(runs, frames[frame].attributes);
    return runs;
}

Runs Palette(const PictureMode& mode, std::size_t size) {
    if (mode.palette != modes::PaletteKind::UlaPlus || size < UlaPlusPaletteSize)
        return {};
    return {{size - UlaPlusPaletteSize, UlaPlusPaletteSize, Holds::Bytes}};
}

// The border's bytes follow the attributes to the end of the file.
Runs Border(const PictureMode& mode, std::size_t size) {
    const modes::Border& border = mode.border;
    const std::size_t end = mode.attributes.offset + mode.attributes.size;
    if (border.left + border.top + border.right + border.bottom == 0 || mode.attributes.size == 0 || size <= end)
        return {};
    return {{end, size - end, Holds::Bytes}};
}

}  // namespace

Runs PartRuns(const PictureMode& mode, std::size_t size, Part part) {
    const std::vector<FrameRuns> frames = Frames(mode);
    Runs runs;
    switch (part) {
    case Part::All: return WholeFile(frames, size);
    case Part::Bitmap:
    case Part::Attributes:
        for (const FrameRuns& frame : frames)
            Append(runs, part == Part::Bitmap ? frame.bitmap : frame.attributes);
        return runs;
    case Part::Palette: return Palette(mode, size);
    case Part::Border: return Border(mode, size);
    case Part::Frame1: return FramePart(frames, 0, true, true);
    case Part::Frame2: return FramePart(frames, 1, true, true);
    case Part::Frame1Bitmap: return FramePart(frames, 0, true, false);
    case Part::Frame1Attributes: return FramePart(frames, 0, false, true);
    case Part::Frame2Bitmap: return FramePart(frames, 1, true, false);
    case Part::Frame2Attributes: return FramePart(frames, 1, false, true);
    }
    return runs;
}

std::vector<Part> PartsOf(const PictureMode& mode, std::size_t size) {
    std::vector<Part> parts;
    for (int part = static_cast<int>(Part::All); part <= static_cast<int>(Part::Frame2Attributes); ++part)
        if (!PartRuns(mode, size, static_cast<Part>(part)).empty())
            parts.push_back(static_cast<Part>(part));
    return parts;
}

bool HoldsPlanes(const Runs& runs) {
    return std::any_of(runs.begin(), runs.end(), [](const Run& run) { return run.holds != Holds::Bytes; });
}

bool HoldsBitmap(const Runs& runs) {
    return std::any_of(runs.begin(), runs.end(), [](const Run& run) { return run.holds == Holds::Bitmap; });
}

}  // namespace exporter
