#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTest>

#include "toolkit/windows/events.h"
#include "toolkit/windows/queued_events_test_support.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

using test_support::TakeEvents;
using test_support::TakenEvent;

constexpr std::uint32_t MainWindowStyle = 0xCC0000;

class TopWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateTopWindow(0, 381, 118, 1073, 510, "New window ( 0 )", MainWindowStyle), 0);
        window = TopWindowOfNumber(0);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        ClearEventQueue();
    }
    void TearDown() override {
        DestroyAllWindows();
        ClearEventQueue();
    }
    QMainWindow* window = nullptr;
};

TEST_F(TopWindowTest, OpensWhereAskedWithTheInnerSizeAsked) {
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(381, 118));
    EXPECT_EQ(window->centralWidget()->size(), QSize(1073, 510));
    EXPECT_EQ(CurrentContainerWidget(), window->centralWidget());
    EXPECT_EQ(CurrentContainerWindow(), 0);
    EXPECT_EQ(WindowCaption(0), "New window ( 0 )");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TopWindowTest, MenuBarTakesItsHeightFromTheInnerArea) {
    ASSERT_NE(CreateMenuBar(0, WindowHandle(0)), 0);
    AddMenuTitle("File");
    QApplication::processEvents();
    QWidget* bar = window->menuWidget();
    ASSERT_NE(bar, nullptr);
    ASSERT_GT(bar->height(), 0);
    QWidget* inner = window->centralWidget();
    EXPECT_EQ(window->size(), QSize(1073, 510));
    EXPECT_EQ(inner->geometry(), QRect(0, bar->height(), 1073, 510 - bar->height()));
    // Controls are placed relative to the area below the bar.
    auto* probe = new QWidget(inner);
    probe->setGeometry(0, 0, 10, 10);
    EXPECT_EQ(probe->mapTo(window, QPoint(0, 0)), QPoint(0, bar->height()));
}

TEST_F(TopWindowTest, StyleGivesCloseBoxAndSizingBorderButNoMinimizeOrMaximize) {
    Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_NE(window->minimumSize(), window->maximumSize());

    ASSERT_NE(CreateTopWindow(1, 0, 0, 200, 100, "fixed", WindowTitleBar | WindowSystemMenu), 0);
    QWidget* fixed = TopWindowOfNumber(1);
    EXPECT_EQ(fixed->minimumSize(), fixed->maximumSize());
}

TEST_F(TopWindowTest, CloseRequestLeavesTheWindowOpenAndQueuesOneEvent) {
    EXPECT_FALSE(window->close());
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(TakeEvents(CloseWindowEvent), (std::vector<TakenEvent>{{CloseWindowEvent, 0, 0, 0}}));
    EXPECT_EQ(TopWindowOfNumber(0), window);
}

TEST_F(TopWindowTest, CaptionChangesOnlyForOpenWindowsAndRealTexts) {
    SetWindowCaption(0, "x:5 y:3 attribute:00:111:000 file:/tmp/\xc3\xa9t\xc3\xa9.scr");
    EXPECT_EQ(WindowCaption(0), "x:5 y:3 attribute:00:111:000 file:/tmp/\xc3\xa9t\xc3\xa9.scr");
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("x:5 y:3 attribute:00:111:000 file:/tmp/été.scr"));
    SetWindowCaption(0, nullptr);
    EXPECT_EQ(window->windowTitle().left(4), QStringLiteral("x:5 "));
    SetWindowCaption(7, "nobody");
    EXPECT_EQ(WindowHandle(7), 0u);
    EXPECT_EQ(WindowCaption(7), "");
}

TEST_F(TopWindowTest, ReusingANumberClosesTheOldWindow) {
    QPointer<QMainWindow> old = window;
    ASSERT_NE(CreateTopWindow(0, 10, 10, 300, 200, "again", MainWindowStyle), 0);
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(WindowCaption(0), "again");
    EXPECT_EQ(TopWindowOfHandle(WindowHandle(0)), TopWindowOfNumber(0));
}

TEST_F(TopWindowTest, NotContainerOptionKeepsControlsInThePreviousWindow) {
    ASSERT_NE(CreateTopWindow(2, 0, 0, 100, 100, "side", MainWindowStyle | WindowNotContainer), 0);
    EXPECT_EQ(CurrentContainerWindow(), 0);
    ASSERT_NE(CreateTopWindow(3, 0, 0, 100, 100, "next", MainWindowStyle), 0);
    EXPECT_EQ(CurrentContainerWindow(), 3);
}

TEST_F(TopWindowTest, ProgramIconReachesOpenWindowsAndTheApplication) {
    const std::uint32_t pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF,
                                    0xFF000000, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    SetProgramIcon(pixels, 4, 2);
    for (const QIcon& icon : {window->windowIcon(), QApplication::windowIcon()}) {
        QImage picture = icon.pixmap(QSize(4, 2)).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(picture.size(), QSize(4, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(picture.pixel(x, y), pixels[y * 4 + x]) << x << "," << y;
    }
    QIcon before = QApplication::windowIcon();
    SetProgramIcon(nullptr, 4, 2);
    SetProgramIcon(pixels, 0, 2);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), before.cacheKey());
}

}  // namespace
}  // namespace toolkit
