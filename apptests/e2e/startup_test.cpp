// Start-up as a user meets it: the first title, white views, the first
// movements over a view, and a start with no display to open a window on.

#include "apptests/e2e/session.h"

namespace e2e {
namespace {

class EndToEndStartup : public ScrlabTest {
protected:
    // Save with nothing loaded: once its error shows, every pointer movement
    // sent before the key has been handled.
    void SaveFailsAfterAllBefore() {
        FocusMainWindow();
        Keys("ctrl+s");
        box_ = WaitMessageBox("Error");
        ASSERT_FALSE(box_.empty()) << "Save with nothing loaded did not fail";
    }
    void DismissSaveFailure() { EXPECT_TRUE(DismissMessageBox(box_)); }

private:
    std::string box_;
};

const ScreenBytes NothingLoaded(6912, 0);

TEST_F(EndToEndStartup, TitleAndWhiteViewsUntilAMovementInsideAView) {
    EXPECT_EQ(Title(), FirstTitle);
    const Image white(render::ViewWidth, render::ViewHeight, White);
    EXPECT_TRUE(WaitView(View::Mono, white));
    EXPECT_TRUE(WaitView(View::Colour, white));
    Shot("start");

    // The movement that brings the pointer into a view only enters it. That
    // it has been handled shows by a key pressed after it: the window handles
    // its events in order, and Save with nothing loaded says that it failed.
    const Cell entered{3, 2};
    Point at = InViewCell(View::Mono, entered);
    desktop().MovePointer(at.x, at.y);
    SaveFailsAfterAllBefore();
    EXPECT_EQ(Title(), FirstTitle);
    DismissSaveFailure();  // the box may cover the views; they show again without it
    EXPECT_TRUE(WaitView(View::Mono, white));

    // The next one sets the title and draws the (empty) screen with that cell highlighted.
    const Cell moved{9, 13};
    const std::string expected = StatusTitle(moved, 0, "");
    EXPECT_TRUE(PointAt(View::Mono, moved, expected));
    EXPECT_TRUE(WaitViews(NothingLoaded, moved));
    Shot("after_movement");

    // Leaving the view changes neither the title nor the highlight.
    ParkPointer();
    SaveFailsAfterAllBefore();
    EXPECT_EQ(Title(), expected);
    DismissSaveFailure();
    EXPECT_TRUE(WaitViews(NothingLoaded, moved));

    // Over the colour view the title names its cells the same way.
    EXPECT_TRUE(PointAt(View::Colour, {31, 23}, StatusTitle({31, 23}, 0, "")));
}

TEST(EndToEndNoDisplay, PrintsOneLineAndExitsWithStatusOne) {
    Outcome outcome = RunToEnd({SCRLAB_PROGRAM}, Patience,
                               {{"DISPLAY", std::nullopt},
                                {"WAYLAND_DISPLAY", std::nullopt},
                                {"QT_QPA_PLATFORM", std::nullopt},
                                {"LSAN_OPTIONS", "suppressions=" SCRLAB_LSAN_SUPPRESSIONS ":print_suppressions=0"}});
    ASSERT_TRUE(outcome.ending.ended) << "still running without a display";
    EXPECT_EQ(outcome.ending.signal, 0);
    EXPECT_FALSE(outcome.ending.coreDumped);
    EXPECT_EQ(outcome.ending.exitStatus, 1);
    EXPECT_EQ(outcome.output, "");
    ASSERT_FALSE(outcome.errors.empty());
    EXPECT_EQ(outcome.errors.find('\n'), outcome.errors.size() - 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find("display"), std::string::npos) << outcome.errors;
}

}  // namespace
}  // namespace e2e
