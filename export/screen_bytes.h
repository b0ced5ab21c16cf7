#pragma once
// Which bytes of a screen go out, and in which order.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace exporter {

// The parts of a picture file a build may take. A mode has some of them
// (exporter::PartsOf); the frame parts are those of the two-frame modes.
enum class Part {
    All,
    Bitmap,
    Attributes,
    Palette,
    Border,
    Frame1,
    Frame2,
    Frame1Bitmap,
    Frame1Attributes,
    Frame2Bitmap,
    Frame2Attributes,
};
// Screen: as in memory. Linear: the bitmap's pixel lines top to bottom, for
// code that draws line by line (attributes are in reading order either way).
enum class Order { Screen, Linear };

// The chosen part of a 6912-byte screen in the chosen order (All, Bitmap
// or Attributes: the parts a classic screen has).
std::vector<std::uint8_t> PartBytes(std::span<const std::uint8_t> screen, Part part, Order order);

// RCS: each third's bitmap column by column, and within a column each cell
// row's eight pixel lines in turn; attributes stay as they are. bytes is a
// part in screen order: bitmap and attributes, or the bitmap alone.
std::vector<std::uint8_t> RcsOrder(std::span<const std::uint8_t> bytes);

// The option's spelling of a part: "all", "frame2-attributes".
std::string_view PartName(Part part);
std::string_view OrderName(Order order);

}  // namespace exporter
