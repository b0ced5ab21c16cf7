#include <QCursor>
#include <QGuiApplication>
#include <QTest>

#include "toolkit/canvas/canvas_test_support.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

using namespace testing_support;

bool InsideCanvas(const CanvasWidget* canvas, QPoint global) {
    return QRect(canvas->mapToGlobal(QPoint(0, 0)), canvas->size()).contains(global);
}

TEST_F(CanvasWindowTest, ConfinedPositionsStayInsideUntilTheLastRelease) {
    SendMouse(first(), QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(GetControlAttribute(0, PointerConfinedAttribute), 1);
    SendMove(first(), {-40, 900}, Qt::LeftButton);
    SendMove(first(), {700, -3}, Qt::LeftButton);
    SendMouse(first(), QEvent::MouseButtonPress, {9000, 9000}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {-1, -1}, Qt::LeftButton, Qt::RightButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {512, 384}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(GetControlAttribute(0, PointerConfinedAttribute), 0);
    SendMove(first(), {-40, 900});  // free again
    auto events = TakeEvents();
    ASSERT_EQ(events.size(), 9u);
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        EXPECT_GE(events[i].data.mouseX, 0) << i;
        EXPECT_LE(events[i].data.mouseX, 511) << i;
        EXPECT_GE(events[i].data.mouseY, 0) << i;
        EXPECT_LE(events[i].data.mouseY, 383) << i;
    }
    EXPECT_EQ(events[1].data.mouseX, 0);
    EXPECT_EQ(events[1].data.mouseY, 383);
    EXPECT_EQ(events[2].data.mouseX, 511);
    EXPECT_EQ(events[2].data.mouseY, 0);
    // Both releases happened at the edge, inside: both count as clicks.
    EXPECT_EQ(TypesOf(events),
              (std::vector<std::int32_t>{LeftButtonDownEventType, MouseEnterEventType, MouseMoveEventType,
                                         RightButtonDownEventType, LeftButtonUpEventType, LeftClickEventType,
                                         RightButtonUpEventType, RightClickEventType, MouseMoveEventType}));
    EXPECT_EQ(events.back().data.mouseX, -40);
    EXPECT_EQ(events.back().data.mouseY, 900);
}

TEST_F(FreeCanvasTest, WithoutConfinementPositionsOutsideAreReported) {
    SendMouse(first(), QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(GetControlAttribute(0, PointerConfinedAttribute), 0);
    EXPECT_TRUE(first()->holdsCapture());
    SendMove(first(), {-40, 900}, Qt::LeftButton);
    auto events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].data.mouseX, -40);
    EXPECT_EQ(events[1].data.mouseY, 900);
    SendMouse(first(), QEvent::MouseButtonRelease, {-40, 900}, Qt::LeftButton, Qt::NoButton);
}

// Through the window system: the pointer itself may not leave the canvas.
TEST_F(CanvasWindowTest, ThePointerCannotLeaveWhileAButtonIsHeld) {
    QWindow* window = TopWindowWidget(0)->windowHandle();
    const QPoint pressAt = second()->mapTo(TopWindowWidget(0), QPoint(200, 150));
    QTest::mouseMove(window, pressAt);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, pressAt);
    ASSERT_TRUE(second()->isConfineOwner());
    const QPoint farAway = second()->mapToGlobal(QPoint(-300, 500));
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        // The X server itself holds the pointer in: it handles the warp before
        // the query of QCursor::pos() below, and no event is handled between
        // them, so the canvas's own clamping (the fallback without a window
        // system's help) cannot be what brings it back.
        QCursor::setPos(farAway);
    } else {
        QTest::mouseMove(window, second()->mapTo(TopWindowWidget(0), QPoint(-300, 500)));
    }
    EXPECT_TRUE(InsideCanvas(second(), QCursor::pos())) << QCursor::pos().x() << "," << QCursor::pos().y();
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, pressAt);
    EXPECT_FALSE(second()->isConfineOwner());
    for (const SeenEvent& event : TakeEvents()) {
        if (event.source != 1 || !event.hasData)
            continue;
        EXPECT_GE(event.data.mouseX, 0);
        EXPECT_LE(event.data.mouseX, 511);
        EXPECT_GE(event.data.mouseY, 0);
        EXPECT_LE(event.data.mouseY, 383);
    }
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QCursor::setPos(farAway);  // free again, as the X server answers at once
        EXPECT_FALSE(InsideCanvas(second(), QCursor::pos()));
    }
}

TEST_F(CanvasWindowTest, DisablingTheOwnerFreesThePointerButKeepsTheCapture) {
    SendMouse(first(), QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    first()->setEnabled(false);
    EXPECT_FALSE(first()->isConfineOwner());
    EXPECT_TRUE(first()->holdsCapture());
    first()->setEnabled(true);
    SendMouse(first(), QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
}

}  // namespace
}  // namespace toolkit
