#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/queued_events_test_support.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

using test_support::TakeEvents;
using test_support::TakenEvent;

const char* const OperationNames[] = {
    "choose byte operations",
    "b1 replace to b2",
    "b1 AND b2",
    "b1 OR b2",
    "b1 EOR(xor) b2",
    "Change ink b1 to b2",
    "Change paper b1 to b2",
    "Change both ink/paper b1 to b2",
};

TakenEvent FromControl(int number, std::int32_t type) { return {ControlEvent, number, 0, type}; }

// Makes the next queued control event current, passing over window events.
bool NextControlEvent() {
    QApplication::processEvents();
    while (QueuedEventCount() > 0)
        if (WaitEvent() == ControlEvent)
            return true;
    return false;
}

// The main window's standard controls, made as the program makes them.
class StandardControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateTopWindow(0, 381, 118, 1073, 510, "New window ( 0 )", 0xCC0000), 0);
        window = TopWindowOfNumber(0);
        ASSERT_NE(CreateCheckBox(3, 280, 0, 270, 20, "Grid"), 0);
        ASSERT_NE(CreateTextField(4, 0, 405, 40, 20, "b1"), 0);
        SetControlTooltip(4, "b1");
        ASSERT_NE(CreateComboBox(6, 40, 405, 160, 20), 0);
        for (const char* name : OperationNames)
            AddControlItem(6, AppendItem, name);
        SetControlState(6, 0);
        ASSERT_NE(CreateTextField(5, 200, 405, 40, 20, "b2"), 0);
        SetControlTooltip(5, "b2");
        ASSERT_NE(CreateButton(7, 240, 405, 40, 20, "go!"), 0);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        TakeEvents();
    }
    void TearDown() override {
        DestroyAllWindows();
        ClearEventQueue();
    }
    static QWidget* Widget(int number) { return FindControl(number)->widget(); }
    static QComboBox* Combo() { return static_cast<QComboBox*>(Widget(6)); }
    QMainWindow* window = nullptr;
};

TEST_F(StandardControlsTest, ControlsSitWhereAskedWithTheirTexts) {
    const struct {
        int number;
        QRect place;
        const char* text;
    } expected[] = {{3, {280, 0, 270, 20}, "Grid"},
                    {4, {0, 405, 40, 20}, "b1"},
                    {6, {40, 405, 160, 20}, "choose byte operations"},
                    {5, {200, 405, 40, 20}, "b2"},
                    {7, {240, 405, 40, 20}, "go!"}};
    for (const auto& control : expected) {
        EXPECT_EQ(Widget(control.number)->geometry(), control.place) << control.number;
        EXPECT_EQ(Widget(control.number)->parentWidget(), window->centralWidget());
        EXPECT_TRUE(Widget(control.number)->isVisible());
        EXPECT_EQ(GetControlText(control.number), control.text);
    }
    EXPECT_EQ(GetControlState(3), 0);
    EXPECT_EQ(GetControlState(6), 0);
    EXPECT_EQ(Combo()->height(), 20);
}

TEST_F(StandardControlsTest, ProgramChangesRaiseNothing) {
    SetControlState(3, 1);
    SetControlState(6, 4);
    AddControlItem(6, 0, "first");
    AddControlItem(6, AppendItem, "last");
    EXPECT_TRUE(TakeEvents(ControlEvent).empty());
    EXPECT_EQ(GetControlState(3), 1);
    EXPECT_EQ(GetControlState(6), 5);  // the same item, one place further down
    EXPECT_EQ(GetControlText(6), "b1 EOR(xor) b2");
}

TEST_F(StandardControlsTest, CheckboxTogglesBeforeItReportsTheClick) {
    QWidget* box = Widget(3);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, box->height() / 2));
    ASSERT_TRUE(NextControlEvent());
    EXPECT_EQ(CurrentEventSource(), 3);
    EXPECT_EQ(CurrentEventType(), ClickEventType);
    EXPECT_EQ(GetControlState(3), 1);  // read while handling the event

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    ASSERT_TRUE(NextControlEvent());
    EXPECT_EQ(CurrentEventSource(), 3);
    EXPECT_EQ(GetControlState(3), 0);
    EXPECT_TRUE(TakeEvents(ControlEvent).empty());
}

TEST_F(StandardControlsTest, ButtonReportsMouseAndSpaceClicks) {
    QTest::mouseClick(Widget(7), Qt::LeftButton);
    EXPECT_EQ(TakeEvents(ControlEvent), std::vector<TakenEvent>{FromControl(7, ClickEventType)});
    Widget(7)->setFocus();
    QTest::keyClick(Widget(7), Qt::Key_Space);
    EXPECT_EQ(TakeEvents(ControlEvent), std::vector<TakenEvent>{FromControl(7, ClickEventType)});
}

TEST_F(StandardControlsTest, TextFieldReportsEditsAndFocusTwice) {
    auto* field = static_cast<QLineEdit*>(Widget(4));
    QTest::mouseClick(field, Qt::LeftButton);
    EXPECT_EQ(TakeEvents(ControlEvent),
              (std::vector<TakenEvent>{FromControl(4, FocusEventType), FromControl(4, NativeFocusNotification)}));
    field->setCursorPosition(2);
    QTest::keyClick(field, Qt::Key_7);
    EXPECT_EQ(GetControlText(4), "b17");
    EXPECT_EQ(TakeEvents(ControlEvent),
              (std::vector<TakenEvent>{FromControl(4, NativeUpdateNotification), FromControl(4, ChangeEventType)}));
    QTest::mouseClick(Widget(5), Qt::LeftButton);
    EXPECT_EQ(TakeEvents(ControlEvent),
              (std::vector<TakenEvent>{FromControl(4, LostFocusEventType), FromControl(4, NativeLostFocusNotification),
                                       FromControl(5, FocusEventType), FromControl(5, NativeFocusNotification)}));
}

TEST_F(StandardControlsTest, TextFieldGivesBackExactlyWhatItShows) {
    ASSERT_NE(CreateTextField(4, 0, 405, 40, 20, "  b1 "), 0);
    EXPECT_EQ(GetControlText(4), "  b1 ");
    EXPECT_TRUE(TakeEvents(ControlEvent).empty());  // the initial text is no edit
    auto* field = static_cast<QLineEdit*>(Widget(4));
    field->setFocus();
    field->end(false);
    QTest::keyClicks(field, "  ");
    EXPECT_EQ(GetControlText(4), "  b1   ");
    ASSERT_NE(CreateTextField(5, 0, 0, 40, 20, "\xc3\xa9t\xc3\xa9"), 0);
    EXPECT_EQ(GetControlText(5), "\xc3\xa9t\xc3\xa9");
}

TEST_F(StandardControlsTest, ComboBoxSelectionState) {
    EXPECT_EQ(GetControlState(6), 0);
    SetControlState(6, -1);
    EXPECT_EQ(GetControlState(6), -1);
    EXPECT_EQ(GetControlText(6), "");
    SetControlState(6, 7);
    EXPECT_EQ(GetControlText(6), "Change both ink/paper b1 to b2");
    SetControlState(6, 8);  // past the last item: no selection
    EXPECT_EQ(GetControlState(6), -1);

    ASSERT_NE(CreateComboBox(8, 0, 0, 100, 20), 0);
    EXPECT_EQ(GetControlState(8), -1);
    AddControlItem(8, AppendItem, "b");
    AddControlItem(8, 0, "a");
    AddControlItem(8, 2, "c");
    AddControlItem(8, -2, "never");
    AddControlItem(8, 9, "never");
    EXPECT_EQ(GetControlState(8), -1);  // items alone select nothing
    auto* other = static_cast<QComboBox*>(Widget(8));
    QStringList items;
    for (int i = 0; i < other->count(); ++i)
        items << other->itemText(i);
    EXPECT_EQ(items, (QStringList{"a", "b", "c"}));
}

TEST_F(StandardControlsTest, ComboBoxReportsOnlyTheUsersChanges) {
    Combo()->setFocus();
    QTest::keyClick(Combo(), Qt::Key_Down);
    EXPECT_EQ(GetControlState(6), 1);
    EXPECT_EQ(TakeEvents(ControlEvent), std::vector<TakenEvent>{FromControl(6, ChangeEventType)});

    Combo()->showPopup();
    QAbstractItemView* list = Combo()->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());  // all eight items show
    QRect row3 = list->visualRect(list->model()->index(3, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row3.center());
    EXPECT_EQ(GetControlState(6), 3);
    EXPECT_EQ(TakeEvents(ControlEvent), std::vector<TakenEvent>{FromControl(6, ChangeEventType)});

    // Choosing the item already selected changes nothing.
    Combo()->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row3.center());
    EXPECT_TRUE(TakeEvents(ControlEvent).empty());
}

TEST_F(StandardControlsTest, TabRunsThroughTheControlsInCreationOrder) {
    Widget(3)->setFocus();
    const int order[] = {4, 6, 5, 7, 3};
    for (int number : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(Widget(number)->hasFocus()) << number;
    }
    const int back[] = {7, 5, 6, 4, 3, 7};
    for (int number : back) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_TRUE(Widget(number)->hasFocus()) << number;
    }
    // Remade, the checkbox is the newest control and comes last.
    ASSERT_NE(CreateCheckBox(3, 280, 0, 270, 20, "Grid"), 0);
    Widget(7)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(Widget(3)->hasFocus());
}

TEST_F(StandardControlsTest, ShortcutsWorkInEveryControl) {
    AddShortcut(0, ShortcutControl | 'O', 0);
    for (int number : {3, 4, 6, 5, 7}) {
        Widget(number)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 0, 0, 0}})) << number;
    }
}

TEST_F(StandardControlsTest, TooltipShowsItsTextAsGiven) {
    EXPECT_EQ(Widget(4)->toolTip(), QStringLiteral("b1"));
    SetControlTooltip(6, "b1 & b2");
    SetControlTooltip(7, nullptr);
    EXPECT_TRUE(Widget(7)->toolTip().isEmpty());
    QWidget* combo = Widget(6);
    QPoint inside(10, 10);
    QHelpEvent hover(QEvent::ToolTip, inside, combo->mapToGlobal(inside));
    QApplication::sendEvent(combo, &hover);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("b1 & b2"));
    QToolTip::hideText();
}

TEST_F(StandardControlsTest, EventsNameTheWindowOfTheControl) {
    ASSERT_NE(CreateTopWindow(1, 0, 0, 200, 100, "second", 0xCC0000), 0);
    ASSERT_NE(CreateButton(9, 0, 0, 40, 20, "b"), 0);
    EXPECT_EQ(Widget(9)->window(), TopWindowOfNumber(1));
    QTest::mouseClick(Widget(9), Qt::LeftButton);
    EXPECT_EQ(TakeEvents(ControlEvent), (std::vector<TakenEvent>{{ControlEvent, 9, 1, ClickEventType}}));
}

}  // namespace
}  // namespace toolkit
