// The three ways out: Control+Q, "Quit" and the close box. Each ends the
// program at once with status 0, unsaved edits or not, asking nothing.

#include "apptests/e2e/session.h"
#include "screen/whole_screen_ops.h"
#include "testsupport/real_screens.h"

namespace e2e {
namespace {

class EndToEndEnding : public ScrlabTest {
protected:
    // Loads a screen and edits it without saving.
    void EditWithoutSaving() {
        path_ = CopyScreen("screen05.scr");
        Open(path_);
        ChooseOperation(OperationsItem::Invert);
        EXPECT_TRUE(WaitViews(Transformed(ReadScreen(path_), screen::OperationId::Invert)));
    }
    void ExpectEndedQuietly() {
        ASSERT_TRUE(WaitProgramEnd()) << "still running; open boxes: " << OpenMessageBoxes().size();
        EXPECT_EQ(ProgramEnding().signal, 0);
        EXPECT_EQ(ProgramEnding().exitStatus, 0);
        EXPECT_EQ(ReadWholeFile(path_), ReadWholeFile(testsupport::RealScreenPath("screen05"))) << "the edit was saved";
    }
    std::string path_;
};

TEST_F(EndToEndEnding, ControlQ) {
    EditWithoutSaving();
    Keys("ctrl+q");
    ExpectEndedQuietly();
}

TEST_F(EndToEndEnding, QuitFromTheFileMenu) {
    EditWithoutSaving();
    ChooseMenu(MenuTitle::File, static_cast<int>(FileItem::Quit));
    ExpectEndedQuietly();
}

TEST_F(EndToEndEnding, CloseBox) {
    EditWithoutSaving();
    // What a window manager sends when the close box is clicked.
    ASSERT_TRUE(desktop().Tool({SCRLAB_CLOSE_REQUEST, MainWindow()}).succeeded());
    ExpectEndedQuietly();
}

}  // namespace
}  // namespace e2e
