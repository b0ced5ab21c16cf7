#pragma once
// Which bytes of a screen go out, and in which order.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace exporter {

enum class Part { All, Bitmap, Attributes };
// Screen: as in memory. Linear: the bitmap's pixel lines top to bottom, for
// code that draws line by line (attributes are in reading order either way).
enum class Order { Screen, Linear };

// The chosen part of a 6912-byte screen in the chosen order.
std::vector<std::uint8_t> PartBytes(std::span<const std::uint8_t> screen, Part part, Order order);

// RCS: each third's bitmap column by column, and within a column each cell
// row's eight pixel lines in turn; attributes stay as they are. bytes is a
// part in screen order: bitmap and attributes, or the bitmap alone.
std::vector<std::uint8_t> RcsOrder(std::span<const std::uint8_t> bytes);

std::string_view PartName(Part part);
std::string_view OrderName(Order order);

}  // namespace exporter
