#include <QFocusEvent>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QCoreApplication>

#include "toolkit/canvas/canvas_test_support.h"
#include "toolkit/controls/control_qt.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/events.h"

namespace toolkit {
namespace {

using namespace testing_support;
using Types = std::vector<std::int32_t>;

TEST_F(FreeCanvasTest, FirstMovementEntersAndTheNextMoves) {
    SendMove(first(), {5, 6});
    SendMove(first(), {7, 8});
    auto events = TakeEvents();
    ASSERT_EQ(TypesOf(events), (Types{MouseEnterEventType, MouseMoveEventType}));
    EXPECT_EQ(events[0].kind, ControlEvent);
    EXPECT_EQ(events[0].source, 0);
    EXPECT_EQ(events[0].data.mouseX, 5);
    EXPECT_EQ(events[1].data.mouseX, 7);
    EXPECT_EQ(events[1].data.mouseY, 8);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(first(), &leave);
    SendMove(first(), {9, 9});
    EXPECT_EQ(TypesOf(TakeEvents()), (Types{MouseLeaveEventType, MouseEnterEventType}));
}

TEST_F(FreeCanvasTest, MovesWaitingTogetherKeepTheFirstPosition) {
    SendMove(first(), {1, 1});
    TakeEvents();
    SendMove(first(), {10, 20});
    SendMove(first(), {30, 40});
    auto events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data.mouseX, 10);
    EXPECT_EQ(events[0].data.mouseY, 20);
}

TEST_F(FreeCanvasTest, PressAndReleaseInsideIsAClick) {
    SendMouse(first(), QEvent::MouseButtonPress, {40, 50}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {41, 52}, Qt::LeftButton, Qt::NoButton);
    auto events = TakeEvents();
    ASSERT_EQ(TypesOf(events), (Types{LeftButtonDownEventType, LeftButtonUpEventType, LeftClickEventType}));
    EXPECT_EQ(events[0].data.buttons, LeftButtonBit);
    EXPECT_EQ(events[0].data.mouseX, 40);
    EXPECT_EQ(events[1].data.buttons, 0);
    EXPECT_EQ(events[2].data.mouseY, 52);

    SendMouse(first(), QEvent::MouseButtonPress, {40, 50}, Qt::RightButton, Qt::RightButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {40, 50}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(TypesOf(TakeEvents()), (Types{RightButtonDownEventType, RightButtonUpEventType, RightClickEventType}));
}

TEST_F(FreeCanvasTest, ReleaseOutsideAfterAMoveIsNoClick) {
    SendMouse(first(), QEvent::MouseButtonPress, {40, 50}, Qt::LeftButton, Qt::LeftButton);
    SendMove(first(), {600, -7}, Qt::LeftButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {600, -7}, Qt::LeftButton, Qt::NoButton);
    auto events = TakeEvents();
    // The first movement only enters; the pointer was never seen inside before the press.
    ASSERT_EQ(TypesOf(events), (Types{LeftButtonDownEventType, MouseEnterEventType, LeftButtonUpEventType}));
    EXPECT_EQ(events[2].data.mouseX, 600);
    EXPECT_EQ(events[2].data.mouseY, -7);
    EXPECT_FALSE(first()->holdsCapture());
}

TEST_F(FreeCanvasTest, DoubleClicksArePressesFollowedByTheirType) {
    for (auto [button, down, up, click, twice] :
         {std::tuple{Qt::LeftButton, LeftButtonDownEventType, LeftButtonUpEventType, LeftClickEventType,
                     LeftDoubleClickEventType},
          std::tuple{Qt::RightButton, RightButtonDownEventType, RightButtonUpEventType, RightClickEventType,
                     RightDoubleClickEventType}}) {
        SendMouse(first(), QEvent::MouseButtonPress, {3, 3}, button, button);
        SendMouse(first(), QEvent::MouseButtonRelease, {3, 3}, button, Qt::NoButton);
        SendMouse(first(), QEvent::MouseButtonDblClick, {3, 3}, button, button);
        SendMouse(first(), QEvent::MouseButtonRelease, {3, 3}, button, Qt::NoButton);
        EXPECT_EQ(TypesOf(TakeEvents()), (Types{down, up, click, down, twice, up, click}));
    }
}

TEST_F(FreeCanvasTest, MiddleButtonHasNeitherDoubleClickNorClick) {
    SendMouse(first(), QEvent::MouseButtonPress, {3, 3}, Qt::MiddleButton, Qt::MiddleButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {3, 3}, Qt::MiddleButton, Qt::NoButton);
    SendMouse(first(), QEvent::MouseButtonDblClick, {3, 3}, Qt::MiddleButton, Qt::MiddleButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {3, 3}, Qt::MiddleButton, Qt::NoButton);
    auto events = TakeEvents();
    EXPECT_EQ(TypesOf(events), (Types{MiddleButtonDownEventType, MiddleButtonUpEventType, MiddleButtonDownEventType,
                                      MiddleButtonUpEventType}));
    EXPECT_EQ(events[0].data.buttons, MiddleButtonBit);
}

TEST_F(CanvasWindowTest, RightPressWhileLeftHeldTakesNoNewCaptureAndReleasesNothing) {
    SendMouse(first(), QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(first()->isConfineOwner());
    // The second canvas is pressed with the left button still down: it gains nothing.
    SendMouse(second(), QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_FALSE(second()->holdsCapture());
    EXPECT_FALSE(second()->isConfineOwner());
    EXPECT_TRUE(first()->isConfineOwner());
    // Released inside, but without the capture: no click.
    SendMouse(second(), QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton, Qt::LeftButton);
    EXPECT_TRUE(first()->isConfineOwner());
    SendMouse(first(), QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton, Qt::LeftButton);
    EXPECT_TRUE(first()->isConfineOwner());
    EXPECT_TRUE(first()->holdsCapture());
    SendMouse(first(), QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(first()->isConfineOwner());
    EXPECT_FALSE(first()->holdsCapture());
    auto events = TakeEvents();
    EXPECT_EQ(TypesOf(events), (Types{LeftButtonDownEventType, RightButtonDownEventType, RightButtonUpEventType,
                                      RightButtonDownEventType, RightButtonUpEventType, RightClickEventType,
                                      LeftButtonUpEventType, LeftClickEventType}));
    EXPECT_EQ(events[1].source, 1);
    EXPECT_EQ(events[2].source, 1);
    EXPECT_EQ(events[3].data.buttons, LeftButtonBit | RightButtonBit);
}

TEST_F(CanvasWindowTest, WheelCountsWholeNotchesAcrossAllCanvases) {
    EmptyWheelAccumulator(first());
    SendWheel(first(), 40);
    SendWheel(first(), 40);
    EXPECT_TRUE(TakeEvents().empty());
    SendWheel(first(), 40);
    auto events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, MouseWheelEventType);
    EXPECT_EQ(events[0].data.wheelNotches, 1);

    SendWheel(first(), 240);
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data.wheelNotches, 2);

    SendWheel(first(), -120);
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data.wheelNotches, -1);

    SendWheel(first(), 60);
    EXPECT_TRUE(TakeEvents().empty());
    SendWheel(second(), 60);
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].source, 1);
    EXPECT_EQ(events[0].data.wheelNotches, 1);
    EXPECT_EQ(CanvasWheelRemainder(), 0);

    SendWheel(first(), -50);  // the remainder keeps its sign and is not lost
    SendWheel(first(), -200);
    events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data.wheelNotches, -2);
    EXPECT_EQ(CanvasWheelRemainder(), -10);
    EmptyWheelAccumulator(first());
}

class KeyboardCanvasTest : public CanvasWindowTest {
protected:
    KeyboardCanvasTest() : CanvasWindowTest(CanvasKeyboard) {}
};

TEST_F(KeyboardCanvasTest, KeysAndTypedCharacters) {
    SendKey(first(), QEvent::KeyPress, Qt::Key_A, QStringLiteral("A"));
    SendKey(first(), QEvent::KeyRelease, Qt::Key_A, QStringLiteral("A"), true);  // a held key repeating
    SendKey(first(), QEvent::KeyRelease, Qt::Key_A, QStringLiteral("A"));
    SendKey(first(), QEvent::KeyPress, Qt::Key_Return, QStringLiteral("\r"));
    auto events = TakeEvents();
    ASSERT_EQ(TypesOf(events), (Types{KeyDownEventType, InputEventType, KeyUpEventType, KeyDownEventType}));
    EXPECT_EQ(events[0].data.key, 65);
    EXPECT_EQ(events[0].data.inputCharacter, 0);
    EXPECT_EQ(events[1].data.inputCharacter, 65);
    EXPECT_EQ(events[1].data.key, 0);
    EXPECT_EQ(events[2].data.key, 65);
    EXPECT_EQ(events[3].data.key, 13);  // and no input event for character 13

    SendKey(first(), QEvent::KeyPress, Qt::Key_Eacute, QString(QChar(0xE9)));
    events = TakeEvents();
    ASSERT_EQ(TypesOf(events), (Types{KeyDownEventType, InputEventType}));
    EXPECT_EQ(events[1].data.inputCharacter, 0xE9);
}

TEST_F(KeyboardCanvasTest, KeyWheelAndCharacterAttributesOfTheCurrentEvent) {
    EmptyWheelAccumulator(first());
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_B, Qt::ShiftModifier | Qt::ControlModifier, QStringLiteral("B"));
    QCoreApplication::sendEvent(first(), &shifted);
    SendWheel(first(), -360);
    ASSERT_EQ(WaitEvent(), ControlEvent);
    EXPECT_EQ(GetControlAttribute(0, KeyAttribute), 0x42);
    EXPECT_EQ(GetControlAttribute(0, ModifiersAttribute), ShiftBit | ControlBit);
    EXPECT_EQ(GetControlAttribute(0, InputCharacterAttribute), 0);
    ASSERT_EQ(WaitEvent(), ControlEvent);
    EXPECT_EQ(GetControlAttribute(0, InputCharacterAttribute), 'B');
    EXPECT_EQ(GetControlAttribute(0, KeyAttribute), 0);
    ASSERT_EQ(WaitEvent(), ControlEvent);
    EXPECT_EQ(CurrentEventType(), MouseWheelEventType);
    EXPECT_EQ(GetControlAttribute(0, WheelNotchesAttribute), -3);
    EXPECT_EQ(GetControlAttribute(0, InputCharacterAttribute), 0);
    ClearEventQueue();
}

TEST_F(FreeCanvasTest, ButtonsOtherThanTheThreeAndSidewaysWheelsAreNotTheCanvases) {
    EmptyWheelAccumulator(first());
    SendMouse(first(), QEvent::MouseButtonPress, {3, 3}, Qt::BackButton, Qt::BackButton);
    SendMouse(first(), QEvent::MouseButtonRelease, {3, 3}, Qt::BackButton, Qt::NoButton);
    QWheelEvent sideways(QPointF(5, 5), QPointF(first()->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(240, 0),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(first(), &sideways);
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_FALSE(first()->holdsCapture());
    EXPECT_EQ(CanvasWheelRemainder(), 0);
}

TEST_F(KeyboardCanvasTest, FocusIsReportedAndOnlyTheKeyboardCanvasIsATabStop) {
    QFocusEvent in(QEvent::FocusIn);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(first(), &in);
    QCoreApplication::sendEvent(first(), &out);
    EXPECT_EQ(TypesOf(TakeEvents()), (Types{FocusEventType, LostFocusEventType}));
    EXPECT_EQ(first()->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(second()->focusPolicy(), Qt::NoFocus);
}

TEST(VirtualKeys, CommonKeysHaveTheirDesktopCodes) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::int32_t code;
    };
    for (const Case& c :
         {Case{Qt::Key_Z, Qt::NoModifier, 0x5A}, Case{Qt::Key_7, Qt::NoModifier, 0x37},
          Case{Qt::Key_7, Qt::KeypadModifier, 0x67}, Case{Qt::Key_F12, Qt::NoModifier, 0x7B},
          Case{Qt::Key_Left, Qt::NoModifier, 0x25}, Case{Qt::Key_Escape, Qt::NoModifier, 0x1B},
          Case{Qt::Key_Exclam, Qt::ShiftModifier, 0x31}, Case{Qt::Key_Comma, Qt::NoModifier, 0xBC},
          Case{Qt::Key_Shift, Qt::ShiftModifier, 0x10}, Case{Qt::Key_Control, Qt::ControlModifier, 0x11}}) {
        QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(VirtualKeyOf(event), c.code) << c.key;
    }
}

TEST_F(FreeCanvasTest, EventAttributesAnswerOnlyForThisCanvasesCurrentEvent) {
    SendMove(first(), {1, 1});
    SendMove(first(), {123, 77});
    PostEvent(MenuEvent, 3, 0, 0);
    SendMouse(second(), QEvent::MouseButtonPress, {9, 8}, Qt::LeftButton, Qt::LeftButton);
    PostEvent(ControlEvent, 0, 0, MouseMoveEventType);  // no data with it

    ASSERT_EQ(WaitEvent(), ControlEvent);  // the enter
    ASSERT_EQ(WaitEvent(), ControlEvent);
    EXPECT_EQ(GetControlAttribute(0, MouseXAttribute), 123);
    EXPECT_EQ(GetControlAttribute(0, MouseYAttribute), 77);
    EXPECT_EQ(GetControlAttribute(1, MouseXAttribute), 0);
    EXPECT_EQ(GetControlAttribute(0, 12), 0);
    EXPECT_EQ(GetControlAttribute(0, 0), 0);
    ASSERT_EQ(WaitEvent(), MenuEvent);
    EXPECT_EQ(GetControlAttribute(0, MouseXAttribute), 0);
    EXPECT_EQ(GetControlAttribute(0, MouseYAttribute), 0);
    ASSERT_EQ(WaitEvent(), ControlEvent);
    EXPECT_EQ(GetControlAttribute(0, MouseXAttribute), 0);
    EXPECT_EQ(GetControlAttribute(1, MouseXAttribute), 9);
    EXPECT_EQ(GetControlAttribute(1, MouseYAttribute), 8);
    EXPECT_EQ(GetControlAttribute(1, ButtonsAttribute), LeftButtonBit);
    ASSERT_EQ(WaitEvent(), ControlEvent);
    EXPECT_EQ(GetControlAttribute(0, MouseXAttribute), 0);
    EXPECT_EQ(GetControlAttribute(7, MouseXAttribute), 0);  // no such control
    SendMouse(second(), QEvent::MouseButtonRelease, {9, 8}, Qt::LeftButton, Qt::NoButton);
}

TEST_F(CanvasWindowTest, CursorAndConfinementAttributes) {
    EXPECT_EQ(GetControlAttribute(0, CursorAttribute), ArrowCursor);
    SetControlAttribute(0, CursorAttribute, CrossCursor);
    EXPECT_EQ(GetControlAttribute(0, CursorAttribute), CrossCursor);
    EXPECT_EQ(first()->cursor().shape(), Qt::CrossCursor);
    SetControlAttribute(0, CursorAttribute, 12);  // out of range: ignored
    EXPECT_EQ(GetControlAttribute(0, CursorAttribute), CrossCursor);

    const std::int32_t custom = MakeCursorHandle(QCursor(Qt::OpenHandCursor));
    SetControlAttribute(0, CustomCursorAttribute, custom);
    EXPECT_EQ(GetControlAttribute(0, CursorAttribute), -1);
    EXPECT_EQ(GetControlAttribute(0, CustomCursorAttribute), custom);
    EXPECT_EQ(first()->cursor().shape(), Qt::OpenHandCursor);
    SetControlAttribute(0, CursorAttribute, NoCursor);
    EXPECT_EQ(GetControlAttribute(0, CustomCursorAttribute), 0);
    EXPECT_EQ(first()->cursor().shape(), Qt::BlankCursor);

    EXPECT_EQ(GetControlAttribute(1, PointerConfinedAttribute), 0);
    SetControlAttribute(1, PointerConfinedAttribute, 1);
    EXPECT_EQ(GetControlAttribute(1, PointerConfinedAttribute), 1);
    SetControlAttribute(0, PointerConfinedAttribute, 1);  // the confinement moves over
    EXPECT_EQ(GetControlAttribute(1, PointerConfinedAttribute), 0);
    EXPECT_EQ(GetControlAttribute(0, PointerConfinedAttribute), 1);
    SetControlAttribute(0, PointerConfinedAttribute, 0);
    EXPECT_EQ(GetControlAttribute(0, PointerConfinedAttribute), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(CanvasWindowTest, CreationReplacesAControlAndFailsWithoutAWindow) {
    EXPECT_EQ(CreateCanvas(-2, 0, 0, 10, 10, 0), 0);
    EXPECT_NE(CreateCanvas(0, 0, 20, 64, 32, 0), 0);
    ASSERT_NE(first(), nullptr);
    EXPECT_EQ(first()->backBuffer().width(), 64);
    const std::intptr_t automatic = CreateCanvas(AutomaticNumber, 0, 0, 8, 8, CanvasKeyboard);
    ASSERT_NE(automatic, 0);
    ASSERT_NE(CanvasWidgetOf(static_cast<int>(automatic)), nullptr);
    EXPECT_TRUE(FindControl(static_cast<int>(automatic))->isTabStop());
    EXPECT_FALSE(FindControl(1)->isTabStop());
    DestroyControl(static_cast<int>(automatic));
    DestroyAllWindows();
    EXPECT_EQ(CreateCanvas(5, 0, 0, 10, 10, 0), 0);
    EXPECT_EQ(FindControl(5), nullptr);
}

}  // namespace
}  // namespace toolkit
