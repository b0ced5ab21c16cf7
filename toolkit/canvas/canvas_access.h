#pragma once
// Inside the toolkit: what the drawing passes need of a canvas, without Qt.

#include <cstdint>
#include <memory>

namespace toolkit {

// A canvas's back buffer as a drawing pass writes it: 3 bytes per pixel
// (blue, green, red), `rowLength` bytes per row, the bottom row first.
struct CanvasPixels {
    std::shared_ptr<std::uint8_t[]> storage;
    int width = 0;
    int height = 0;
    int rowLength = 0;
};

// False (and `pixels` untouched) when the number is not a canvas.
bool GetCanvasPixels(int number, CanvasPixels& pixels);

// Shows the canvas's back buffer now, without waiting for the event loop.
// Does nothing for a number that is not a canvas.
void RepaintCanvasNow(int number);

// Lets the window system deliver events until the canvas's window is on the
// screen (a canvas never shown is never painted); false if that takes longer
// than `milliseconds`.
bool WaitUntilCanvasShown(int number, int milliseconds);

// How often the canvas has been painted since it was made.
int CanvasPaintCount(int number);

} // namespace toolkit
