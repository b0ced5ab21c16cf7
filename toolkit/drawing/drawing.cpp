#include "toolkit/drawing/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "toolkit/canvas/canvas_access.h"
#include "toolkit/drawing/drawing_measure.h"

namespace toolkit {

namespace drawing_detail {
DrawingPass* activePass = nullptr;
} // namespace drawing_detail

namespace {

// This thread's current pass; the primitives read its process-wide mirror.
thread_local DrawingPass* currentPass = nullptr;
bool repaintAtEnd = true;

// Points the pass at the canvas's back buffer as it is now.
void TakePixels(DrawingPass& pass, CanvasPixels& pixels) {
    pass.width = pixels.width;
    pass.height = pixels.height;
    pass.rowLength = pixels.rowLength;
    pass.fastColumns = pixels.width >= 2 ? static_cast<std::uint64_t>(pixels.width - 1) : 0;
    pass.fastRows = pixels.height >= 2 ? static_cast<std::uint64_t>(pixels.height - 1) : 0;
    pass.bitColumns = pixels.width >= 16 ? static_cast<std::uint64_t>(pixels.width - 15) : 0;
    pass.topRow = pixels.storage.get() + static_cast<std::ptrdiff_t>(pixels.height - 1) * pixels.rowLength;
    pass.storage = std::move(pixels.storage);
    pass.tileColumns = pixels.tileColumns;
    pass.tiles = pixels.changedTiles.get();
    pass.changedTiles = std::move(pixels.changedTiles);
}

void MakeCurrent(DrawingPass* pass) {
    currentPass = pass;
    drawing_detail::activePass = pass;
}

// Frees the current pass, repainting its canvas when asked to.
void FinishPass(bool repaint) {
    DrawingPass* pass = currentPass;
    if (!pass)
        return;
    MakeCurrent(nullptr);
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
    std::uint8_t* at = vertical ? pass.topRow - from * pass.rowLength + fixed * 3
                                : pass.topRow - fixed * pass.rowLength + from * 3;
    const std::int64_t step = vertical ? -pass.rowLength : 3;
    for (std::int64_t along = from; along <= to; ++along, at += step)
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

} // namespace

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
    MakeCurrent(pass);
    return reinterpret_cast<DrawTarget>(pass);
}

std::intptr_t BeginDrawing(DrawTarget target) {
    if (target == 0)
        return 0;
    DrawingPass* pass = currentPass;
    CanvasPixels pixels;
    if (!pass || reinterpret_cast<DrawTarget>(pass) != target || !GetCanvasPixels(pass->control, pixels)
        || !pixels.storage) {
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

bool DrawingPassContinues(std::uint64_t mark) {
    return currentPass && mark != 0 && currentPass->foundStamp == mark;
}

namespace drawing_detail {

void SetBitColours(DrawingPass& pass, ColourValue ink, ColourValue paper) {
    pass.bitInk = ink;
    pass.bitPaper = paper;
    std::uint8_t paperBytes[48], contrastBytes[48];
    const std::uint32_t paperPixel = PixelOf(paper), contrastPixel = PixelOf(ink) ^ paperPixel;
    for (int byte = 0; byte < 48; ++byte) {
        paperBytes[byte] = static_cast<std::uint8_t>(paperPixel >> (byte % 3 * 8));
        contrastBytes[byte] = static_cast<std::uint8_t>(contrastPixel >> (byte % 3 * 8));
    }
    std::memcpy(pass.paperRow.part, paperBytes, sizeof paperBytes);
    std::memcpy(pass.contrastRow.part, contrastBytes, sizeof contrastBytes);
}

void FillClippedBits(std::int64_t left, std::int64_t top, std::uint8_t bits, ColourValue ink,
                     ColourValue paper) {
    for (int m = 0; m < 8; ++m)
        FillBox(static_cast<int>(left + 2 * m), static_cast<int>(top), 2, 2, bits & (0x80 >> m) ? ink : paper);
}

} // namespace drawing_detail

void EndDrawing() { FinishPass(repaintAtEnd); }

void SetRepaintAtEndOfDrawing(bool repaint) { repaintAtEnd = repaint; }

void DrawLine(int x1, int y1, int x2, int y2, ColourValue colour) {
    DrawingPass* pass = drawing_detail::activePass;
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

} // namespace toolkit
