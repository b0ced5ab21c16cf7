#include "export/screen_bytes.h"

#include <algorithm>

#include "export/mode_parts.h"
#include "screen/screen_layout.h"

namespace exporter {

using namespace screen;

namespace {

// One plane of 192 pixel lines, stored in screen order or linear order,
// appended in the order asked for.
void AppendPlane(std::span<const std::uint8_t> plane, bool storedInScreenOrder, Arrangement arrangement, bool bitmap,
                 std::vector<std::uint8_t>& out) {
    const bool stored = arrangement == Arrangement::AsStored || (arrangement == Arrangement::Rcs && !bitmap) ||
                        (arrangement == Arrangement::Screen && storedInScreenOrder) ||
                        (arrangement == Arrangement::Linear && !storedInScreenOrder);
    if (stored) {
        out.insert(out.end(), plane.begin(), plane.end());
        return;
    }
    std::vector<std::uint8_t> inScreenOrder(plane.begin(), plane.end());
    if (!storedInScreenOrder)
        for (int line = 0; line < ScreenHeight; ++line)
            std::copy_n(plane.begin() + line * LineBytes, LineBytes, inScreenOrder.begin() + LineAddressTable[line]);
    if (arrangement == Arrangement::Linear) {
        for (int line = 0; line < ScreenHeight; ++line) {
            const auto start = inScreenOrder.begin() + LineAddressTable[line];
            out.insert(out.end(), start, start + LineBytes);
        }
        return;
    }
    const std::vector<std::uint8_t> arranged =
        arrangement == Arrangement::Rcs ? RcsOrder(inScreenOrder) : std::move(inScreenOrder);
    out.insert(out.end(), arranged.begin(), arranged.end());
}

}  // namespace

std::vector<std::uint8_t> Gather(std::span<const std::uint8_t> file, const Runs& runs, Arrangement arrangement) {
    std::vector<std::uint8_t> bytes;
    for (const Run& run : runs) {
        // The rows' sizes are exact; a file cut short gives what it holds.
        if (run.offset >= file.size())
            continue;
        const std::span<const std::uint8_t> held =
            file.subspan(run.offset, std::min(run.size, file.size() - run.offset));
        if (run.holds == Holds::Bytes || held.size() % BitmapSize != 0) {
            bytes.insert(bytes.end(), held.begin(), held.end());
            continue;
        }
        for (std::size_t plane = 0; plane < held.size(); plane += BitmapSize)
            AppendPlane(held.subspan(plane, BitmapSize), run.screenOrder, arrangement, run.holds == Holds::Bitmap,
                        bytes);
    }
    return bytes;
}

std::vector<std::uint8_t> PartBytes(std::span<const std::uint8_t> whole, Part part, Order order) {
    return Gather(whole, PartRuns(modes::ClassicMode(), ScreenSize, part),
                  order == Order::Screen ? Arrangement::Screen : Arrangement::Linear);
}

std::vector<std::uint8_t> RcsOrder(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end());
    std::size_t next = 0;
    for (int third = 0; third < ScreenHeight / ThirdLines; ++third)
        for (int column = 0; column < CellColumns; ++column)
            for (int cellRow = 0; cellRow < ThirdLines / CellSize; ++cellRow)
                for (int pixelRow = 0; pixelRow < CellSize; ++pixelRow)
                    out[next++] = bytes[third * ThirdBytes + pixelRow * PixelRowStep + cellRow * LineBytes + column];
    return out;
}

std::string_view PartName(Part part) {
    switch (part) {
    case Part::All: return "all";
    case Part::Bitmap: return "bitmap";
    case Part::Attributes: return "attributes";
    case Part::Palette: return "palette";
    case Part::Border: return "border";
    case Part::Frame1: return "frame1";
    case Part::Frame2: return "frame2";
    case Part::Frame1Bitmap: return "frame1-bitmap";
    case Part::Frame1Attributes: return "frame1-attributes";
    case Part::Frame2Bitmap: return "frame2-bitmap";
    case Part::Frame2Attributes: return "frame2-attributes";
    }
    return {};
}

std::string_view OrderName(Order order) { return order == Order::Screen ? "screen" : "linear"; }

}  // namespace exporter
