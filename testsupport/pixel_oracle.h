#pragma once
// Where a screen keeps pixel (x, y) and the attribute of cell (column, row),
// assembled here from the bit fields of the coordinates rather than taken
// from the screen library, so tests and benchmarks check its addressing
// instead of repeating it.

#include <cstdint>

namespace testsupport {

// Offset of the bitmap byte of pixel (x, y), x 0..255, y 0..191: y's bits 7-6
// pick the third, bits 2-0 the pixel row within a cell, bits 5-3 the cell row.
int PixelOffset(int x, int y);
// The bit of pixel x within its byte: the leftmost pixel is the top bit.
std::uint8_t PixelMask(int x);
bool PixelOf(const std::uint8_t* screen, int x, int y);
void SetPixel(std::uint8_t* screen, int x, int y, bool on = true);

// Offset of the attribute byte of cell (column, row), column 0..31, row 0..23.
int AttributeOffset(int column, int row);

}  // namespace testsupport
