// Screens dragged from another program and dropped on either view.

#include "apptests/e2e/session.h"
#include "testsupport/pixel_oracle.h"
#include "screen/whole_screen_ops.h"

namespace e2e {
namespace {

constexpr Point SourceAt{20, 650};  // below the main window

class EndToEndDrop : public ScrlabTest {
protected:
    // Starts a drag source for the file, presses on it, moves onto the target
    // in steps, releases. The source keeps running until the test ends: the
    // target fetches the dropped data after the release.
    void DragFile(const std::string& path, Point target) {
        // An earlier source has handed over its data once its drop loaded.
        source_.reset();
        const std::string log = Folder() + "/drag_source";
        source_ = std::make_unique<Child>(
            std::vector<std::string>{SCRLAB_DRAG_SOURCE, std::to_string(SourceAt.x), std::to_string(SourceAt.y), path},
            Environment{{"DISPLAY", desktop().environment().front().second},
                        {"QT_QPA_PLATFORM", "xcb"},
                        {"XDG_RUNTIME_DIR", Folder() + "/runtime"}},
            log + ".out", log + ".err");
        ASSERT_EQ(WaitOutput(log + ".out", "ready\n"), "ready\n") << "the drag source did not show";
        const Point from{SourceAt.x + 100, SourceAt.y + 60};
        desktop().MovePointer(from.x, from.y);
        ASSERT_TRUE(desktop().Xdo({"mousedown", "1"}));
        EXPECT_TRUE(WaitFor("the drag to begin",
                            [&] { return ReadWholeFile(log + ".out").find("dragging\n") != std::string::npos; }));
        // In steps to a spot of the window that takes no drop, then at once
        // onto the view: the view's answer to that last position is then the
        // source's first "over action 1", and the drop is let go only after
        // it. Letting go while a position is still unanswered can lose the
        // drop on the target's side although the source saw a copy.
        const Point approach = NeutralSpot();
        constexpr int Steps = 8;
        for (int step = 1; step <= Steps; ++step)
            desktop().MovePointer(from.x + (approach.x - from.x) * step / Steps,
                                  from.y + (approach.y - from.y) * step / Steps);
        ASSERT_EQ(ReadWholeFile(log + ".out").find("over action 1"), std::string::npos)
            << "the drag was taken before it reached the view";
        // A source sends no new position while one is unanswered, and a busy
        // machine can leave the last movement's position unsent: nudge the
        // pointer until the view's answer comes.
        int nudge = 0;
        EXPECT_TRUE(WaitFor("the view to take the drag as a copy", [&] {
            desktop().MovePointer(target.x + nudge++ % 2, target.y);
            return WaitFor(
                "the view to answer the movement",
                [&] { return ReadWholeFile(log + ".out").ends_with("over action 1\n"); }, NudgeLimit);
        }));
        ASSERT_TRUE(desktop().Xdo({"mouseup", "1"}));
        std::string output;
        EXPECT_TRUE(WaitFor("the drag to end", [&] {
            return (output = ReadWholeFile(log + ".out")).find("drop action") != std::string::npos;
        }));
        EXPECT_TRUE(output.ends_with("drop action 1\n"))
            << "the drop was not taken as a copy: " << output << ReadWholeFile(log + ".err");
    }

    std::string WaitOutput(const std::string& path, const std::string& expected) {
        std::string output;
        WaitFor(path + " to read \"" + expected + "\"", [&] { return (output = ReadWholeFile(path)) == expected; });
        return output;
    }

    std::unique_ptr<Child> source_;
};

TEST_F(EndToEndDrop, ScreenDroppedOnEitherViewLoadsAsOpenDoes) {
    const std::string first = CopyScreen("screen12.scr");
    const std::string second = CopyScreen("screen08.scr", "dropped/second.scr");
    const ScreenBytes firstScreen = ReadScreen(first);
    const ScreenBytes secondScreen = ReadScreen(second);

    DragFile(first, InViewCell(View::Mono, {12, 10}));
    EXPECT_TRUE(WaitViews(firstScreen));
    Shot("dropped_on_mono");
    EXPECT_TRUE(OpenMessageBoxes().empty());
    EXPECT_TRUE(
        PointAt(View::Mono, {4, 4}, StatusTitle({4, 4}, firstScreen[testsupport::AttributeOffset(4, 4)], first)));

    DragFile(second, InViewCell(View::Colour, {25, 20}));
    EXPECT_TRUE(WaitViews(secondScreen));

    // As after Open: Undo keeps the dropped screen, Save writes to the dropped file.
    ChooseMenu(MenuTitle::Undo);
    EXPECT_TRUE(WaitViews(secondScreen));
    ChooseOperation(OperationsItem::Invert);
    const ScreenBytes inverted = Transformed(secondScreen, screen::OperationId::Invert);
    EXPECT_TRUE(WaitViews(inverted));
    EXPECT_EQ(SaveAndRead(second, inverted), inverted);
    EXPECT_EQ(ReadScreen(first), firstScreen);
}

TEST_F(EndToEndDrop, FileThatIsNoScreenIsRefusedWithAMessage) {
    const std::string path = CopyScreen("screen01.scr");
    const ScreenBytes screen = ReadScreen(path);
    Open(path);
    const std::string notScreen = Folder() + "/xvfb.log";  // some text file of another size
    DragFile(notScreen, InViewCell(View::Colour, {3, 3}));
    const std::string box = WaitMessageBox("Error");
    ASSERT_FALSE(box.empty()) << "no \"this is not ZX Spectrum picture!\" box";
    EXPECT_TRUE(DismissMessageBox(box));
    EXPECT_TRUE(WaitViews(screen, std::nullopt, false, Milliseconds(0)));
}

}  // namespace
}  // namespace e2e
