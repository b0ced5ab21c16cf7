#pragma once
// Operations that rewrite bitmap and attribute bytes of the working screen
// together. Each menu operation takes the undo copy first.

#include <cstdint>

#include "screen/screen_store.h"

namespace screen {

enum class MouseButton { Left, Right };

// Exchanges INK and PAPER, keeping FLASH and BRIGHT.
std::uint8_t SwapInkPaper(std::uint8_t attr);

// Complements the cell's eight bitmap bytes and swaps its INK and PAPER:
// the colour view looks the same, the mono view shows the cell inverted.
// The cell must lie in the grid (column 0..31, row 0..23).
void InvertCell(std::uint8_t* screen, int column, int row);

void InvertScreen(ScreenStore& store);
void MirrorHorisontal(ScreenStore& store);
void OptimizeAttributes(ScreenStore& store);

// Left: the cell alone; Right: the cell and every cell to its right in the
// row. No undo copy. A cell outside the 32 x 24 grid touches nothing.
void InvertCellsByClick(ScreenStore& store, int column, int row, MouseButton button);

}  // namespace screen
