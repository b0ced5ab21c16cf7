#pragma once
// Drawing passes into a canvas's back buffer. A pass is made current by
// CanvasDrawTarget, begun by BeginDrawing, and ended by EndDrawing, which puts
// what the pass changed on the screen at once. The primitives write the pixel
// bytes directly and act on the current pass; with none they do nothing.
// Everything here is called from the thread that runs the toolkit's event
// loop, the one thread that may touch a canvas, so one pass is current at a
// time in the whole process.

#include <cstddef>
#include <cstdint>

namespace toolkit {

// Red in bits 0..7, green in 8..15, blue in 16..23; the top byte is ignored.
using ColourValue = std::uint32_t;

// Summed without masking, as the callers' values are 0..255 anyway.
constexpr ColourValue MakeColour(int red, int green, int blue) {
    return static_cast<ColourValue>(red) + static_cast<ColourValue>(green) * 256u +
           static_cast<ColourValue>(blue) * 65536u;
}

using DrawTarget = std::intptr_t;

// Makes a pass on the canvas with that control number and makes it current
// (ending a pass still current without showing it). 0 when the number is not a
// canvas.
DrawTarget CanvasDrawTarget(int control);
// Nonzero when the pass has begun. Target 0 answers 0 and changes nothing; a
// target that is not the current pass (or whose canvas has gone) answers 0
// and leaves no pass current.
std::intptr_t BeginDrawing(DrawTarget target);
// Ends the current pass and, before returning, repaints the parts of its
// canvas that the pass (or anything else since the last repaint) wrote.
void EndDrawing();

// The box from (x, y), clipped to the back buffer; a negative size reaches
// back from the given corner.
void FillBox(int x, int y, int width, int height, ColourValue colour);
// Both end points and the pixels between them, clipped to the back buffer.
void DrawLine(int x1, int y1, int x2, int y2, ColourValue colour);
// A column of bytes of a one-bit picture at twice its size: byte i, read at
// bits[i x step] for i = 0 to rows - 1, gives the 16 x 2 pixels from
// (x, y + 2i), columns x + 2m and x + 2m + 1 in `ink` where its bit 7 - m is
// set and in `paper` where it is clear. The same pixels as 8 x rows 2 x 2
// FillBox calls, clipped alike, written as whole rows.
void FillBitsDoubled(int x, int y, const std::uint8_t* bits, int rows, std::ptrdiff_t step, ColourValue ink,
                     ColourValue paper);
// The same, then its top row (x to x + 15, y) and left column (x, y to
// y + 2 x rows - 1) drawn over in `edge`, as two DrawLine calls would: a grid
// along the top and left side of each block, written with the block.
void FillBitsDoubledEdged(int x, int y, const std::uint8_t* bits, int rows, std::ptrdiff_t step, ColourValue ink,
                          ColourValue paper, ColourValue edge);

// For a caller that keeps what it drew and redraws only what changed. A
// nonzero mark naming what the current pass leaves in its back buffer; 0
// without a pass.
std::uint64_t DrawingPassMark();
// True when the current pass's back buffer still holds exactly what the pass
// that answered `mark` left in it: the same buffer, written by nothing since
// (no other pass, no copying in, no resize, no writable access to its bytes
// from outside a pass). False without a pass or for mark 0.
bool DrawingPassContinues(std::uint64_t mark);

}  // namespace toolkit
