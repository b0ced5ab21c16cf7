#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

#include "toolkit/windows/events.h"
#include "toolkit/windows/key_codes_qt.h"
#include "toolkit/windows/queued_events_test_support.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

using test_support::TakeEvents;
using test_support::TakenEvent;

constexpr std::uint32_t ControlO = 0x2004F;
constexpr std::uint32_t ControlS = 0x20053;
constexpr std::uint32_t ControlQ = 0x20051;

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateTopWindow(0, 0, 0, 400, 200, "New window ( 0 )", 0xCC0000), 0);
        window = TopWindowOfNumber(0);
        QWidget* inner = window->centralWidget();
        box = new QCheckBox(QStringLiteral("Grid"), inner);
        field = new QLineEdit(QStringLiteral("b1"), inner);
        stray = new QLineEdit(inner);  // inside the window but not one of the tab stops
        button = new QPushButton(QStringLiteral("go!"), inner);
        field->move(0, 30);
        stray->move(0, 60);
        button->move(0, 90);
        for (QWidget* widget : {static_cast<QWidget*>(box), static_cast<QWidget*>(field), static_cast<QWidget*>(stray),
                                static_cast<QWidget*>(button)})
            widget->show();
        SetTabStopSource([this](int number) {
            return number == 0 ? std::vector<QWidget*>{box, field, button} : std::vector<QWidget*>{};
        });
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        ClearEventQueue();
    }
    void TearDown() override {
        SetTabStopSource(nullptr);
        DestroyAllWindows();
        ClearEventQueue();
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    QMainWindow* window = nullptr;
    QCheckBox* box = nullptr;
    QLineEdit* field = nullptr;
    QLineEdit* stray = nullptr;
    QPushButton* button = nullptr;
};

TEST_F(ShortcutTest, ShortcutsFireWhileATextFieldHasTheFocus) {
    AddShortcut(0, ControlO, 0);
    AddShortcut(0, ControlS, 1);
    AddShortcut(0, ControlQ, 2);
    field->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), field);
    Press(Qt::Key_O, Qt::ControlModifier);
    Press(Qt::Key_S, Qt::ControlModifier);
    Press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(TakeEvents(MenuEvent),
              (std::vector<TakenEvent>{{MenuEvent, 0, 0, 0}, {MenuEvent, 1, 0, 0}, {MenuEvent, 2, 0, 0}}));
    box->setFocus();
    Press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 0, 0, 0}}));
}

TEST_F(ShortcutTest, TheFieldNeverSeesABoundKey) {
    AddShortcut(0, 'X', 42);  // a plain letter, no modifier
    field->setFocus();
    field->setCursorPosition(2);
    Press(Qt::Key_X);
    Press(Qt::Key_Y);
    EXPECT_EQ(field->text(), QStringLiteral("b1y"));
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 42, 0, 0}}));
}

TEST_F(ShortcutTest, BindingTheSameKeyAgainReplacesTheCommand) {
    AddShortcut(0, ControlO, 0);
    AddShortcut(0, ControlO, 5);
    AddShortcut(0, ControlO | ShortcutShift, 6);  // other modifiers: another entry
    EXPECT_EQ(ShortcutCommand(0, ControlO), 5);
    field->setFocus();
    Press(Qt::Key_O, Qt::ControlModifier);
    Press(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    Press(Qt::Key_O, Qt::ControlModifier | Qt::AltModifier);  // bound to nothing
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 5, 0, 0}, {MenuEvent, 6, 0, 0}}));
}

TEST_F(ShortcutTest, TabWrapsFromTheLastStopToTheFirstAndShiftTabBack) {
    box->setFocus();
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), field);
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button);  // the stray field is no tab stop
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box);
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), button);
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->text(), QStringLiteral("b1"));
    EXPECT_TRUE(TakeEvents(MenuEvent).empty());
}

TEST_F(ShortcutTest, TabSkipsDisabledAndHiddenStopsAndStartsAtTheEndsFromOutside) {
    field->setEnabled(false);
    box->setFocus();
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button);
    field->setEnabled(true);
    button->hide();
    stray->setFocus();  // focus inside the window but on no tab stop
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box);
    stray->setFocus();
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), field);
}

TEST_F(ShortcutTest, TabCanBeRebound) {
    AddShortcut(0, 0x09, 77);
    box->setFocus();
    Press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 77, 0, 0}}));
}

TEST_F(ShortcutTest, OtherWindowsAndClosedNumbersAreLeftAlone) {
    AddShortcut(3, ControlO, 0);
    EXPECT_EQ(ShortcutCommand(3, ControlO), -1);
    AddShortcut(0, ControlO, 0);
    QLineEdit outside;  // a top-level that is none of the program's windows
    outside.show();
    outside.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&outside));
    QTest::keyClick(&outside, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(TakeEvents(MenuEvent).empty());
}

TEST(KeyCodes, QtKeysMapToVirtualKeyCodes) {
    for (int letter = 0; letter < 26; ++letter)
        EXPECT_EQ(VirtualKeyOf(Qt::Key_A + letter, false), 'A' + letter);
    for (int digit = 0; digit < 10; ++digit) {
        EXPECT_EQ(VirtualKeyOf(Qt::Key_0 + digit, false), '0' + digit);
        EXPECT_EQ(VirtualKeyOf(Qt::Key_0 + digit, true), 0x60 + digit);
    }
    for (int f = 0; f < 12; ++f)
        EXPECT_EQ(VirtualKeyOf(Qt::Key_F1 + f, false), 0x70 + f);
    const std::pair<int, int> named[] = {
        {Qt::Key_Tab, 0x09},   {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D},    {Qt::Key_Escape, 0x1B},
        {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
        {Qt::Key_Home, 0x24},  {Qt::Key_Left, 0x25},   {Qt::Key_Up, 0x26},       {Qt::Key_Right, 0x27},
        {Qt::Key_Down, 0x28},  {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},   {Qt::Key_Exclam, '1'},
    };
    for (auto [qtKey, virtualKey] : named)
        EXPECT_EQ(VirtualKeyOf(qtKey, false), virtualKey) << std::hex << qtKey;
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Asterisk, true), 0x6A);
    EXPECT_FALSE(VirtualKeyOf(Qt::Key_Shift, false).has_value());
}

TEST(KeyCodes, KeyPressesBecomeShortcutValues) {
    QKeyEvent controlO(QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(ShortcutValueOf(controlO), 0x2004Fu);
    QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::NoModifier);
    EXPECT_EQ(ShortcutValueOf(backtab), ShortcutShift | 0x09);
    QKeyEvent all(QEvent::KeyPress, Qt::Key_F5,
                  Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    EXPECT_EQ(ShortcutValueOf(all), ShortcutShift | ShortcutControl | ShortcutAlt | 0x74);
}

}  // namespace
}  // namespace toolkit
