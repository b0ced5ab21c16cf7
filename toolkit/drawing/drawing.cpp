// Drawing passes, boxes and lines.

#include "toolkit/drawing/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "toolkit/canvas/canvas_access.h"
#include "toolkit/drawing/drawing_measure.h"
#include "toolkit/drawing/drawing_pass.h"

namespace toolkit {

namespace drawing_detail {

DrawingPass* currentPass = nullptr;

void FillClippedBox(const DrawingPass& pass, std::int64_t left, std::int64_t top, std::int64_t columns,
                    std::int64_t rows, std::uint32_t pixel) {
    if (columns < 0) {
        left += columns;
        columns = -columns;
    }
    if (rows < 0) {
        top += rows;
        rows = -rows;
    }
    if (left < 0) {
        columns += left;
        left = 0;
    }
    if (top < 0) {
        rows += top;
        top = 0;
    }
    columns = std::min(columns, pass.width - left);
    rows = std::min(rows, pass.height - top);
    if (columns <= 0 || rows <= 0)
        return;
    MarkTiles(pass, left, top, left + columns - 1, top + rows - 1);
    std::uint8_t* row = pass.topRow - top * pass.rowLength + left * 3;
    for (std::int64_t r = 0; r < rows; ++r, row -= pass.rowLength)
        for (std::int64_t c = 0; c < columns; ++c)
            StorePixel(row + c * 3, pixel);
}

}  // namespace drawing_detail

namespace {

using drawing_detail::currentPass;

bool repaintAtEnd = true;

// Points the pass at the canvas's back buffer as it is now.
void TakePixels(DrawingPass& pass, CanvasPixels& pixels) {
    pass.width = pixels.width;
    pass.height = pixels.height;
    pass.rowLength = pixels.rowLength;
    pass.topRow = pixels.storage.get() + static_cast<std::ptrdiff_t>(pixels.height - 1) * pixels.rowLength;
    pass.storage = std::move(pixels.storage);
    pass.tileColumns = pixels.tileColumns;
    pass.tiles = pixels.changedTiles.get();
    pass.changedTiles = std::move(pixels.changedTiles);
}

// Frees the current pass, repainting its canvas when asked to.
void FinishPass(bool repaint) {
    DrawingPass* pass = currentPass;
    if (!pass)
        return;
    currentPass = nullptr;
    const int control = pass->control;
    delete pass;
    if (repaint)
        RepaintCanvasNow(control);
}

void PutPixel(DrawingPass& pass, std::int64_t x, std::int64_t y, const std::uint8_t* pixel) {
    if (x < 0 || y < 0 || x >= pass.width || y >= pass.height)
        return;
    std::memcpy(pass.topRow - y * pass.rowLength + x * 3, pixel, 3);
}

// The pixel's three bytes in memory order.
struct PixelBytes {
    std::uint8_t bytes[3];
};
PixelBytes BytesOf(std::uint32_t pixel) {
    return {{static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 8),
             static_cast<std::uint8_t>(pixel >> 16)}};
}

// A run along one row (or one column when `vertical`), both ends included,
// clipped once and then written straight through.
void DrawRun(DrawingPass& pass, std::int64_t fixed, std::int64_t from, std::int64_t to, bool vertical,
             std::uint32_t pixel) {
    if (fixed < 0 || fixed >= (vertical ? pass.width : pass.height))
        return;
    if (from > to)
        std::swap(from, to);
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, (vertical ? pass.height : pass.width) - 1);
    if (from > to)
        return;
    if (vertical)
        drawing_detail::MarkTiles(pass, fixed, from, fixed, to);
    else
        drawing_detail::MarkTiles(pass, from, fixed, to, fixed);
    std::uint8_t* at =
        vertical ? pass.topRow - from * pass.rowLength + fixed * 3 : pass.topRow - fixed * pass.rowLength + from * 3;
    std::int64_t count = to - from + 1;
    if (!vertical) {
        // Sixteen pixels at a time, in three stores.
        const drawing_detail::DoubledRow row = drawing_detail::RowOf(pixel);
        for (; count >= 16; count -= 16, at += 48)
            std::memcpy(at, row.part, sizeof row.part);
        for (; count > 0; --count, at += 3)
            drawing_detail::StorePixel(at, pixel);
        return;
    }
    // Down a column: one four-byte store a row, keeping the fourth byte (the
    // next pixel's blue), where that byte still lies within the row. Stores
    // are what a picture costs: this halves them.
    if (fixed * 3 + 4 <= pass.rowLength) {
        for (; count > 0; --count, at -= pass.rowLength) {
            std::uint32_t word;
            std::memcpy(&word, at, 4);
            word = (word & 0xFF000000u) | pixel;
            std::memcpy(at, &word, 4);
        }
        return;
    }
    for (; count > 0; --count, at -= pass.rowLength)
        drawing_detail::StorePixel(at, pixel);
}

// Moves end points outside 0..limit-1 of one axis onto its edge, sliding the
// other coordinate along the line. False when the line lies wholly beyond.
bool ClipAxis(std::int64_t& a1, std::int64_t& b1, std::int64_t& a2, std::int64_t& b2, std::int64_t limit) {
    if ((a1 < 0 && a2 < 0) || (a1 > limit - 1 && a2 > limit - 1))
        return false;
    if (a1 == a2)
        return true;  // inside on this axis: nothing to move
    const double slope = static_cast<double>(b2 - b1) / static_cast<double>(a2 - a1);
    auto moveEnd = [&](std::int64_t& a, std::int64_t& b) {
        const std::int64_t edge = a < 0 ? 0 : a > limit - 1 ? limit - 1 : a;
        if (edge == a)
            return;
        b = static_cast<std::int64_t>(std::trunc(static_cast<double>(b) + slope * static_cast<double>(edge - a)));
        a = edge;
    };
    moveEnd(a1, b1);
    moveEnd(a2, b2);
    return true;
}

}  // namespace

DrawTarget CanvasDrawTarget(int control) {
    FinishPass(false);
    CanvasPixels pixels;
    if (!GetCanvasPixels(control, pixels) || !pixels.storage)
        return 0;
    auto* pass = new (std::nothrow) DrawingPass;
    if (!pass)
        return 0;
    pass->foundStamp = pixels.stamp;
    pass->stamp = RestampCanvas(control);
    TakePixels(*pass, pixels);
    pass->control = control;
    currentPass = pass;
    return reinterpret_cast<DrawTarget>(pass);
}

std::intptr_t BeginDrawing(DrawTarget target) {
    if (target == 0)
        return 0;
    DrawingPass* pass = currentPass;
    CanvasPixels pixels;
    if (!pass || reinterpret_cast<DrawTarget>(pass) != target || !GetCanvasPixels(pass->control, pixels) ||
        !pixels.storage) {
        FinishPass(false);
        return 0;
    }
    // The drawing area is the whole back buffer, as the canvas has it now.
    if (pixels.stamp != pass->stamp) {  // written since the pass was made
        pass->foundStamp = 0;
        pass->stamp = RestampCanvas(pass->control);
    }
    TakePixels(*pass, pixels);
    return target;
}

std::uint64_t DrawingPassMark() { return currentPass ? currentPass->stamp : 0; }

bool DrawingPassContinues(std::uint64_t mark) { return currentPass && mark != 0 && currentPass->foundStamp == mark; }

void EndDrawing() { FinishPass(repaintAtEnd); }

void SetRepaintAtEndOfDrawing(bool repaint) { repaintAtEnd = repaint; }

void FillBox(int x, int y, int width, int height, ColourValue colour) {
    if (currentPass)
        drawing_detail::FillClippedBox(*currentPass, x, y, width, height, drawing_detail::PixelOf(colour));
}

void DrawLine(int x1, int y1, int x2, int y2, ColourValue colour) {
    DrawingPass* pass = currentPass;
    if (!pass)
        return;
    const std::uint32_t word = drawing_detail::PixelOf(colour);
    const PixelBytes bytes = BytesOf(word);
    const std::uint8_t* pixel = bytes.bytes;
    std::int64_t ax = x1, ay = y1, bx = x2, by = y2;
    if (ay == by) {
        DrawRun(*pass, ay, ax, bx, false, word);
        return;
    }
    if (ax == bx) {
        DrawRun(*pass, ax, ay, by, true, word);
        return;
    }
    if (!ClipAxis(ax, ay, bx, by, pass->width) || !ClipAxis(ay, ax, by, bx, pass->height))
        return;
    // Clipping can leave an end point outside on the other axis; only pixels inside are drawn.
    auto inside = [](std::int64_t value, std::int64_t limit) { return std::clamp<std::int64_t>(value, 0, limit - 1); };
    drawing_detail::MarkTiles(*pass, inside(std::min(ax, bx), pass->width), inside(std::min(ay, by), pass->height),
                              inside(std::max(ax, bx), pass->width), inside(std::max(ay, by), pass->height));
    // Bresenham along the major axis (x on a 45 degree line), from the end
    // with the smaller major coordinate, so either order gives the same pixels.
    const bool xMajor = std::llabs(by - ay) <= std::llabs(bx - ax);
    std::int64_t major1 = xMajor ? ax : ay, minor1 = xMajor ? ay : ax;
    std::int64_t major2 = xMajor ? bx : by, minor2 = xMajor ? by : bx;
    if (major1 > major2) {
        std::swap(major1, major2);
        std::swap(minor1, minor2);
    }
    const std::int64_t majorDifference = major2 - major1;
    const std::int64_t minorDifference = std::llabs(minor2 - minor1);
    const std::int64_t minorStep = minor2 > minor1 ? 1 : -1;
    std::int64_t error = 2 * minorDifference - majorDifference;
    std::int64_t minor = minor1;
    auto plot = [&](std::int64_t major) {
        xMajor ? PutPixel(*pass, major, minor, pixel) : PutPixel(*pass, minor, major, pixel);
    };
    plot(major1);
    for (std::int64_t major = major1 + 1; major <= major2; ++major) {
        if (error >= 0) {
            minor += minorStep;
            error += 2 * (minorDifference - majorDifference);
        } else {
            error += 2 * minorDifference;
        }
        plot(major);
    }
}

}  // namespace toolkit
