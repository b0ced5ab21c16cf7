// How long a text field keeps its edits for undo.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

QLineEdit* Field(int number) { return static_cast<QLineEdit*>(FindControl(number)->widget()); }

// Qt keeps every keystroke of a line edit for undo. The fields kept all of
// it for as long as the program ran, so memory grew with everything ever
// typed into them (a soak of the program showed the growth).
TEST(TextFieldHistory, EditsAreForgottenWhenTheFocusLeavesSoMemoryStopsGrowing) {
    ASSERT_NE(CreateTopWindow(0, 100, 100, 300, 100, "fields", 0xCC0000), 0);
    ASSERT_NE(CreateTextField(4, 0, 0, 40, 20, "b1"), 0);
    ASSERT_NE(CreateTextField(5, 60, 0, 40, 20, "b2"), 0);
    TopWindowOfNumber(0)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(TopWindowOfNumber(0)));

    QTest::mouseClick(Field(4), Qt::LeftButton);
    ASSERT_TRUE(Field(4)->hasFocus());
    Field(4)->selectAll();
    QTest::keyClicks(Field(4), "$4f");
    EXPECT_TRUE(Field(4)->isUndoAvailable()) << "undo works while the field has the focus";
    ClearEventQueue();

    QTest::mouseClick(Field(5), Qt::LeftButton);
    ASSERT_TRUE(Field(5)->hasFocus());
    EXPECT_FALSE(Field(4)->isUndoAvailable());
    EXPECT_FALSE(Field(4)->isRedoAvailable());
    EXPECT_EQ(GetControlText(4), "$4f");
    // Forgetting is no edit: only the focus moves are reported.
    QApplication::processEvents();
    while (QueuedEventCount() > 0) {
        WaitEvent();
        EXPECT_NE(CurrentEventType(), ChangeEventType);
        EXPECT_NE(CurrentEventType(), NativeUpdateNotification);
    }
    DestroyAllWindows();
    ClearEventQueue();
}

}  // namespace
}  // namespace toolkit
