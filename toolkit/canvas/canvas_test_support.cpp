#include "toolkit/canvas/canvas_test_support.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit::testing_support {

std::vector<SeenEvent> TakeEvents() {
    std::vector<SeenEvent> events;
    while (QueuedEventCount() > 0) {
        WaitEvent();
        SeenEvent seen{CurrentEventKind(), CurrentEventSource(), CurrentEventType(), CurrentEventData() != nullptr, {}};
        if (seen.hasData && seen.kind == ControlEvent)
            seen.data = *static_cast<const CanvasEventData*>(CurrentEventData());
        events.push_back(seen);
    }
    ClearEventQueue();  // releases the last one's data (a wait on an empty queue would block)
    return events;
}

std::vector<std::int32_t> TypesOf(const std::vector<SeenEvent>& events) {
    std::vector<std::int32_t> types;
    for (const SeenEvent& event : events)
        types.push_back(event.type);
    return types;
}

void SendMouse(CanvasWidget* canvas, QEvent::Type type, QPoint position, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(position), QPointF(canvas->mapToGlobal(position)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &event);
}

void SendMove(CanvasWidget* canvas, QPoint position, Qt::MouseButtons held) {
    SendMouse(canvas, QEvent::MouseMove, position, Qt::NoButton, held);
}

void SendWheel(CanvasWidget* canvas, int delta) {
    const QPointF position(100, 100);
    QWheelEvent event(position, QPointF(canvas->mapToGlobal(position.toPoint())), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas, &event);
}

void SendKey(CanvasWidget* canvas, QEvent::Type type, int key, const QString& text, bool autoRepeat) {
    QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
    QCoreApplication::sendEvent(canvas, &event);
}

void EmptyWheelAccumulator(CanvasWidget* canvas) {
    if (const std::int32_t remainder = CanvasWheelRemainder())
        SendWheel(canvas, -remainder);
    ASSERT_EQ(CanvasWheelRemainder(), 0);
}

void CanvasWindowTest::SetUp() {
    ClearEventQueue();
    ASSERT_NE(CreateTopWindow(0, 10, 10, 1042, 480, "canvas test", 0xCC0000), 0);
    ASSERT_NE(CreateCanvas(0, 0, 20, 512, 384, firstFlags_), 0);
    ASSERT_NE(CreateCanvas(1, 530, 20, 512, 384, CanvasConfinePointer), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(TopWindowWidget(0)));
    ClearEventQueue();
}

void CanvasWindowTest::TearDown() {
    DestroyControl(0);
    DestroyControl(1);
    DestroyAllWindows();
    ClearEventQueue();
}

}  // namespace toolkit::testing_support
