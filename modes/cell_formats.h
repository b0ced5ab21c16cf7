#pragma once
// The bitmap-and-attribute modes as data: where each frame's bitmap and
// attributes lie and where a ULAplus palette follows. Their readers, writers
// and the byte-for-byte conversions between them are cells.h's.

#include <string_view>

#include "modes/cells.h"

namespace modes {

using screen::AttributeStart;
using screen::BitmapSize;
using screen::ScreenSize;

constexpr std::size_t MultiColourSize = 2 * BitmapSize;  // 12288: a bitmap and one attribute per bitmap byte

constexpr CellFormat ClassicCells{ScreenSize, 1, {StandardScreenAt(0)}, 0, false};
constexpr CellFormat UlaPlusScreenCells{ScreenSize + UlaPlusPaletteSize, 1, {StandardScreenAt(0)}, ScreenSize, false};
constexpr ScreenPart TimexHiColourPart{0, Order::Interleaved, AttributeStart, InterleavedAttributes};
constexpr CellFormat TimexHiColourCells{MultiColourSize, 1, {TimexHiColourPart}, 0, true};
constexpr CellFormat TimexHiColourUlaPlusCells{
    MultiColourSize + UlaPlusPaletteSize, 1, {TimexHiColourPart}, MultiColourSize, false};
constexpr CellFormat GigascreenCells{2 * ScreenSize, 2, {StandardScreenAt(0), StandardScreenAt(ScreenSize)}, 0, false};
constexpr CellFormat MltCells{MultiColourSize, 1, {ScreenPart{0, Order::Interleaved, AttributeStart, 1}}, 0, false};
constexpr CellFormat McCells{MultiColourSize, 1, {ScreenPart{0, Order::Linear, AttributeStart, 1}}, 0, false};
constexpr CellFormat IflCells{
    BitmapSize + BitmapSize / 2, 1, {ScreenPart{0, Order::Interleaved, AttributeStart, 2}}, 0, false};

// The cell format of the table's row of that name ("mlt", "classic"), or null
// where the row is not a plain bitmap-and-attribute mode: what a conversion
// asks before it moves a picture byte for byte with TranscodeCells.
const CellFormat* CellFormatOfRow(std::string_view row);

static_assert(UlaPlusScreenCells.size == 6976 && TimexHiColourUlaPlusCells.size == 12352 &&
              GigascreenCells.size == 13824 && IflCells.size == 9216);

}  // namespace modes
