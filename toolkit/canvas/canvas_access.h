#pragma once
// Inside the toolkit: what the drawing passes need of a canvas, without Qt.

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/canvas/back_buffer.h"

namespace toolkit {

// A canvas's back buffer as a drawing pass writes it: 3 bytes per pixel
// (blue, green, red), `rowLength` bytes per row, the bottom row first. Whoever
// writes pixels sets the flags of their tiles in `changedTiles` (TileSize
// squares, `tileColumns` to a tile row, top row first), or the window keeps
// showing what was there.
struct CanvasPixels {
    std::shared_ptr<std::uint8_t[]> storage;
    std::shared_ptr<TileFlag[]> changedTiles;
    int width = 0;
    int height = 0;
    int rowLength = 0;
    int tileColumns = 0;
    std::uint64_t stamp = 0;  // BackBuffer::stamp() of the picture as it is now
};

// False (and `pixels` untouched) when the number is not a canvas.
bool GetCanvasPixels(int number, CanvasPixels& pixels);

// Gives the canvas's back buffer a new stamp and answers it; 0 when the
// number is not a canvas. A drawing pass takes one before it writes.
std::uint64_t RestampCanvas(int number);

// Shows what changed in the canvas's back buffer now, without waiting for the
// event loop: repaints the tiles flagged changed, and nothing when none is.
// Does nothing for a number that is not a canvas.
void RepaintCanvasNow(int number);

// Lets the window system deliver events until the canvas's window is on the
// screen (a canvas never shown is never painted); false if that takes longer
// than `milliseconds`.
bool WaitUntilCanvasShown(int number, int milliseconds);

// How often the canvas has been painted since it was made.
int CanvasPaintCount(int number);

// A rectangle of a canvas's picture, in picture pixels.
struct CanvasArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const CanvasArea&, const CanvasArea&) = default;
};

// For tests that check what a change repaints: the canvas starts noting the
// part of its picture each paint paints (nothing for a number that is not a
// canvas). Noting stops when the canvas goes.
void NoteCanvasPaints(int number);
// What the canvas has painted since noting began or since the last call, as
// the fewest rectangles banded top to bottom, left to right; empty when it
// painted nothing. Starts afresh.
std::vector<CanvasArea> TakeCanvasPaintedArea(int number);

}  // namespace toolkit
