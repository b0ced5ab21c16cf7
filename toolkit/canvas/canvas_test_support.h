#pragma once
// Shared by the canvas tests: a window with canvases, and the events they post.

#include <cstdint>
#include <vector>

#include <QEvent>
#include <QPoint>
#include <gtest/gtest.h>

#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/canvas_qt.h"

namespace toolkit::testing_support {

struct SeenEvent {
    std::int32_t kind;
    std::int32_t source;
    std::int32_t type;
    bool hasData;
    CanvasEventData data;
};

// Makes every queued event current in turn and records it, reading the
// canvas data while its event is current.
std::vector<SeenEvent> TakeEvents();
std::vector<std::int32_t> TypesOf(const std::vector<SeenEvent>& events);

// Input as the window system delivers it to the canvas, in canvas-widget coordinates.
void SendMouse(CanvasWidget* canvas, QEvent::Type type, QPoint position, Qt::MouseButton button, Qt::MouseButtons held);
void SendMove(CanvasWidget* canvas, QPoint position, Qt::MouseButtons held = Qt::NoButton);
void SendWheel(CanvasWidget* canvas, int delta);
void SendKey(CanvasWidget* canvas, QEvent::Type type, int key, const QString& text, bool autoRepeat = false);

// Brings the shared wheel remainder back to 0 without posting anything.
void EmptyWheelAccumulator(CanvasWidget* canvas);

// Window 0 with canvas 0 at (0, 20) and canvas 1 at (530, 20), 512 x 384,
// the first with `firstFlags`, the second with CanvasConfinePointer.
class CanvasWindowTest : public ::testing::Test {
protected:
    explicit CanvasWindowTest(std::uint32_t firstFlags = CanvasConfinePointer) : firstFlags_(firstFlags) {}
    void SetUp() override;
    void TearDown() override;
    CanvasWidget* first() const { return CanvasWidgetOf(0); }
    CanvasWidget* second() const { return CanvasWidgetOf(1); }

private:
    std::uint32_t firstFlags_;
};

// The same with a first canvas that does not confine the pointer.
class FreeCanvasTest : public CanvasWindowTest {
protected:
    FreeCanvasTest() : CanvasWindowTest(0) {}
};

}  // namespace toolkit::testing_support
