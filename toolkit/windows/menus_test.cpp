#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "toolkit/windows/events.h"
#include "toolkit/windows/queued_events_test_support.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

using test_support::TakeEvents;
using test_support::TakenEvent;

// The menu of the program's main window, built call by call as it does.
void BuildProgramMenu() {
    ASSERT_NE(CreateMenuBar(0, WindowHandle(0)), 0);
    AddMenuTitle("File");
    AddMenuCommand(0, "Open..\tCtrl+O");
    AddMenuCommand(1, "Save\tCtrl+S");
    AddMenuSeparator();
    AddMenuCommand(2, "Quit\tCtrl+Q");
    AddMenuTitle("Operations");
    AddMenuCommand(3, "Optimize");
    AddMenuCommand(4, "Invert");
    AddMenuCommand(5, "Split picture+attributes");
    AddMenuCommand(6, "Find contour");
    AddMenuCommand(7, "Create Mask");
    AddMenuSeparator();
    AddMenuCommand(8, "Mirror Horisontal");
    CloseSubmenu();
    AddMenuCommand(9, "Undo");
}

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
    return texts;
}

QStringList Texts(QWidget* menu) { return Texts(menu->actions()); }

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateTopWindow(0, 381, 118, 1073, 510, "New window ( 0 )", 0xCC0000), 0);
        window = TopWindowOfNumber(0);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override {
        DestroyAllWindows();
        ClearEventQueue();
    }
    QMenuBar* Bar() { return MenuBarWidget(0); }
    QMainWindow* window = nullptr;
};

TEST_F(MenuTest, ProgramMenuHasTwoDropDownsAndUndoOnTheBar) {
    BuildProgramMenu();
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(window->menuWidget(), bar);
    ASSERT_EQ(Texts(bar), (QStringList{"File", "Operations", "Undo"}));
    QList<QAction*> top = bar->actions();
    ASSERT_NE(top[0]->menu(), nullptr);
    ASSERT_NE(top[1]->menu(), nullptr);
    EXPECT_EQ(top[2]->menu(), nullptr);
    EXPECT_EQ(Texts(top[0]->menu()), (QStringList{"Open..\tCtrl+O", "Save\tCtrl+S", "--", "Quit\tCtrl+Q"}));
    EXPECT_EQ(Texts(top[1]->menu()), (QStringList{"Optimize", "Invert", "Split picture+attributes", "Find contour",
                                                  "Create Mask", "--", "Mirror Horisontal"}));
}

TEST_F(MenuTest, ChoosingAnItemRaisesItsCommandAndTheHintBindsNoKey) {
    BuildProgramMenu();
    const int expected[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    int at = 0;
    for (QAction* title : Bar()->actions()) {
        if (!title->menu())
            continue;
        for (QAction* item : title->menu()->actions()) {
            if (item->isSeparator())
                continue;
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
            item->trigger();
            ASSERT_LT(at, 9);
            EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, expected[at], 0, 0}}));
            ++at;
        }
    }
    EXPECT_EQ(at, 9);

    // Without AddShortcut the "Ctrl+O" of the text does nothing.
    auto* field = new QLineEdit(window->centralWidget());
    field->show();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(TakeEvents(MenuEvent).empty());
}

TEST_F(MenuTest, ClickingUndoOnTheBarRunsItWithoutADropDown) {
    BuildProgramMenu();
    QApplication::processEvents();
    QAction* undo = Bar()->actions().at(2);
    QRect place = Bar()->actionGeometry(undo);
    ASSERT_FALSE(place.isEmpty());
    QTest::mouseClick(Bar(), Qt::LeftButton, Qt::NoModifier, place.center());
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 9, 0, 0}}));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(MenuTest, ClickingAnItemInTheOpenedDropDownRaisesItsCommand) {
    BuildProgramMenu();
    QApplication::processEvents();
    QAction* operations = Bar()->actions().at(1);
    QTest::mouseClick(Bar(), Qt::LeftButton, Qt::NoModifier, Bar()->actionGeometry(operations).center());
    QMenu* dropDown = operations->menu();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dropDown));
    QAction* invert = dropDown->actions().at(1);
    QTest::mouseClick(dropDown, Qt::LeftButton, Qt::NoModifier, dropDown->actionGeometry(invert).center());
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 4, 0, 0}}));
}

TEST_F(MenuTest, BarAppearsWithItsFirstTitleOrCommand) {
    ASSERT_NE(CreateMenuBar(0, WindowHandle(0)), 0);
    EXPECT_EQ(window->menuWidget(), nullptr);
    AddMenuSeparator();
    EXPECT_EQ(window->menuWidget(), nullptr);
    AddMenuCommand(9, "Undo");
    EXPECT_EQ(window->menuWidget(), Bar());
    EXPECT_TRUE(Bar()->isVisible());
}

TEST_F(MenuTest, CloseSubmenuAtTheBarDoesNothing) {
    ASSERT_NE(CreateMenuBar(0, WindowHandle(0)), 0);
    CloseSubmenu();
    AddMenuCommand(1, "first");
    CloseSubmenu();
    CloseSubmenu();
    AddMenuTitle("title");
    AddMenuCommand(2, "inside");
    CloseSubmenu();
    CloseSubmenu();
    AddMenuCommand(3, "last");
    ASSERT_EQ(Texts(Bar()), (QStringList{"first", "title", "last"}));
    EXPECT_EQ(Texts(Bar()->actions().at(1)->menu()), QStringList{"inside"});
}

TEST_F(MenuTest, TitleAfterNestedDropDownsStillLandsOnTheBar) {
    ASSERT_NE(CreateMenuBar(0, WindowHandle(0)), 0);
    AddMenuTitle("A");
    CreateSubmenu("B");
    CreateSubmenu("C");
    AddMenuCommand(1, "deep");
    AddMenuTitle("D");
    AddMenuCommand(2, "in D");
    ASSERT_EQ(Texts(Bar()), (QStringList{"A", "D"}));
    QMenu* a = Bar()->actions().at(0)->menu();
    ASSERT_EQ(Texts(a), QStringList{"B"});
    QMenu* b = a->actions().at(0)->menu();
    ASSERT_EQ(Texts(b), QStringList{"C"});
    EXPECT_EQ(Texts(b->actions().at(0)->menu()), QStringList{"deep"});
    EXPECT_EQ(Texts(Bar()->actions().at(1)->menu()), QStringList{"in D"});

    b->actions().at(0)->menu()->actions().at(0)->trigger();
    EXPECT_EQ(TakeEvents(MenuEvent), (std::vector<TakenEvent>{{MenuEvent, 1, 0, 0}}));
}

TEST_F(MenuTest, NestingStopsAtSixtyFourLevels) {
    ASSERT_NE(CreateMenuBar(0, WindowHandle(0)), 0);
    for (int level = 0; level < 70; ++level)
        CreateSubmenu("level");
    AddMenuCommand(1, "bottom");
    int depth = 0;
    QWidget* menu = Bar();
    while (!menu->actions().isEmpty() && menu->actions().at(0)->menu()) {
        menu = menu->actions().at(0)->menu();
        ++depth;
    }
    EXPECT_EQ(depth, 64);
    EXPECT_EQ(Texts(menu), QStringList{"bottom"});
}

TEST_F(MenuTest, BarNeedsAnOpenOwnerAndGoesWithItsWindow) {
    EXPECT_EQ(CreateMenuBar(1, 12345), 0);
    EXPECT_EQ(MenuBarWidget(1), nullptr);
    AddMenuTitle("nowhere");  // no current bar: nothing happens
    BuildProgramMenu();
    ASSERT_NE(Bar(), nullptr);
    DestroyAllWindows();
    EXPECT_EQ(Bar(), nullptr);
    AddMenuCommand(5, "after the window");  // must not touch the dead bar
}

}  // namespace
}  // namespace toolkit
