#pragma once
// Operations that rewrite bitmap and attribute bytes of a screen together,
// in place. None takes an undo copy: whoever runs them decides that.

#include <cstdint>

#include "screen/screen_layout.h"

namespace screen {

enum class MouseButton { Left, Right };

// Exchanges INK and PAPER, keeping FLASH and BRIGHT.
std::uint8_t SwapInkPaper(std::uint8_t attr);

// Complements the cell's eight bitmap bytes and swaps its INK and PAPER:
// the colour view looks the same, the mono view shows the cell inverted.
// The cell must lie in the grid (column 0..31, row 0..23).
void InvertCell(std::uint8_t* screen, int column, int row);

// Complements every pixel and swaps every cell's INK and PAPER.
void InvertScreen(ScreenSpan screen);
// Pixels and attributes mirrored left to right.
void MirrorHorisontal(ScreenSpan screen);
// Along each row, inverts each cell whose ink or paper meets its left
// neighbour's (as that neighbour stands after its own turn).
void OptimizeAttributes(ScreenSpan screen);

// Left: the cell alone; Right: the cell and every cell to its right in the
// row. A cell outside the 32 x 24 grid touches nothing.
void InvertCellsByClick(ScreenSpan screen, int column, int row, MouseButton button);

}  // namespace screen
