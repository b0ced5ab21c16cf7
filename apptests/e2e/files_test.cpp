// Screens in and out through the window: the requester, Save, Split, and the
// messages that tell the user what went wrong.

#include <filesystem>

#include "apptests/e2e/session.h"
#include "screen/whole_screen_ops.h"
#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace e2e {
namespace {

using EndToEndFiles = ScrlabTest;

constexpr int AttributeStart = 6144;

std::string AsText(const ScreenBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST_F(EndToEndFiles, OpenedScreenShowsInBothViewsPixelForPixel) {
    const std::string first = CopyScreen("screen02.scr");
    Open(first);
    Shot("loaded");
    EXPECT_TRUE(OpenMessageBoxes().empty());

    // The title names the loaded file and the attribute under the pointer.
    const ScreenBytes screen = ReadScreen(first);
    const Cell cell{17, 6};
    EXPECT_TRUE(PointAt(View::Colour, cell, StatusTitle(cell, screen[testsupport::AttributeOffset(17, 6)], first)));
    EXPECT_TRUE(WaitViews(screen, cell));

    // A second screen replaces the first everywhere.
    ParkPointer();
    const std::string second = CopyScreen("screen09.scr");
    Open(second);
    Shot("second");
    const ScreenBytes replaced = ReadScreen(second);
    EXPECT_TRUE(PointAt(View::Colour, cell, StatusTitle(cell, replaced[testsupport::AttributeOffset(17, 6)], second)));
    EXPECT_TRUE(WaitViews(replaced, cell));
}

TEST_F(EndToEndFiles, SaveWritesTheEditedScreenAndSplitWritesItsTwoParts) {
    const std::string path = CopyScreen("screen04.scr", "pics/title.scr");
    const ScreenBytes original = ReadScreen(path);
    Open(path);
    ChooseOperation(OperationsItem::Invert);
    const ScreenBytes inverted = Transformed(original, screen::OperationId::Invert);
    ASSERT_NE(inverted, original);
    EXPECT_TRUE(WaitViews(inverted));
    EXPECT_EQ(SaveAndRead(path, inverted), inverted);

    ChooseOperation(OperationsItem::Split);
    const std::string bitmap = Folder() + "/pics/title.screen";
    const std::string attributes = Folder() + "/pics/title.attr";
    EXPECT_EQ(WaitFileContents(bitmap, AsText(inverted).substr(0, AttributeStart)),
              AsText(inverted).substr(0, AttributeStart));
    EXPECT_EQ(WaitFileContents(attributes, AsText(inverted).substr(AttributeStart)),
              AsText(inverted).substr(AttributeStart));
    EXPECT_EQ(ReadScreen(path), inverted);  // Split leaves the screen file alone
    EXPECT_TRUE(OpenMessageBoxes().empty());
}

// Split of a loaded "pic.screen" would cut the file itself to its bitmap.
TEST_F(EndToEndFiles, SplitRefusesToWriteOverTheLoadedFile) {
    const std::string path = CopyScreen("screen04.scr", "pic.screen");
    const ScreenBytes original = ReadScreen(path);
    Open(path);
    ChooseOperation(OperationsItem::Split);
    const std::string box = WaitMessageBox("Error");
    ASSERT_FALSE(box.empty()) << "no \"error saving file!\" box";
    EXPECT_TRUE(DismissMessageBox(box));
    EXPECT_EQ(ReadScreen(path), original);
    EXPECT_FALSE(std::filesystem::exists(Folder() + "/pic.attr"));
}

TEST_F(EndToEndFiles, MessagesBeforeAnyScreenIsLoaded) {
    // Save has no file to write.
    Keys("ctrl+s");
    std::string box = WaitMessageBox("Error");
    ASSERT_FALSE(box.empty()) << "no \"error saving file!\" box";
    Shot("error_saving_file");
    EXPECT_TRUE(DismissMessageBox(box));

    // Split has nothing to split.
    ChooseOperation(OperationsItem::Split);
    box = WaitMessageBox("Error");
    ASSERT_FALSE(box.empty()) << "no \"load screen first!\" box";
    Shot("load_screen_first");
    EXPECT_TRUE(DismissMessageBox(box));
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        const std::string name = entry.path().filename();
        EXPECT_TRUE(!name.ends_with(".screen") && !name.ends_with(".attr")) << "Split wrote " << name;
    }

    // A cancelled requester says so, once.
    const std::string requester = WaitRequester();
    ASSERT_FALSE(requester.empty());
    EXPECT_TRUE(desktop().Xdo({"windowfocus", "--sync", requester}));
    Keys("Escape");
    box = WaitMessageBox("Information");
    ASSERT_FALSE(box.empty()) << "no \"The requester was canceled.\" box";
    Shot("requester_canceled");
    EXPECT_TRUE(DismissMessageBox(box));
    EXPECT_TRUE(OpenMessageBoxes().empty());
    EXPECT_EQ(Title(), FirstTitle);

    // The shortcuts work again at once, without the user clicking the window.
    const std::string path = CopyScreen("screen05.scr");
    Open(path);
    EXPECT_TRUE(OpenMessageBoxes().empty());
}

TEST_F(EndToEndFiles, RefusedLoadsAndAFailedSaveKeepThePicture) {
    // Not a screen: one byte short. Nothing was loaded before, so the views stay white.
    const std::string shortFile = Folder() + "/short.scr";
    std::filesystem::copy_file(testsupport::RealScreenPath("screen03"), shortFile);
    std::filesystem::resize_file(shortFile, 6911);
    OpenThroughRequester(shortFile);
    std::string box = WaitMessageBox("Error");
    ASSERT_FALSE(box.empty()) << "no \"this is not ZX Spectrum picture!\" box for 6911 bytes";
    Shot("not_a_picture");
    EXPECT_TRUE(DismissMessageBox(box));
    EXPECT_TRUE(WaitView(View::Mono, Image(render::ViewWidth, render::ViewHeight, White), Milliseconds(0)));

    const std::string path = CopyScreen("screen03.scr", "gone/screen.scr");
    const ScreenBytes screen = ReadScreen(path);
    Open(path);
    EXPECT_TRUE(OpenMessageBoxes().empty());

    // One byte too many, and a name that names nothing: refused, the picture stays.
    const std::string longFile = Folder() + "/long.scr";
    std::filesystem::copy_file(path, longFile);
    std::filesystem::resize_file(longFile, 6913);
    for (const std::string& refused : {longFile, Folder() + "/missing.scr"}) {
        OpenThroughRequester(refused);
        box = WaitMessageBox("Error");
        ASSERT_FALSE(box.empty()) << "no \"this is not ZX Spectrum picture!\" box for " << refused;
        EXPECT_TRUE(DismissMessageBox(box));
        EXPECT_TRUE(WaitViews(screen, std::nullopt, false, Milliseconds(0)));
    }

    // The loaded file's folder is gone: Save cannot create the file again.
    std::filesystem::remove_all(Folder() + "/gone");
    Keys("ctrl+s");
    box = WaitMessageBox("Error");
    ASSERT_FALSE(box.empty()) << "no \"error saving file!\" box";
    EXPECT_TRUE(DismissMessageBox(box));
    EXPECT_FALSE(std::filesystem::exists(Folder() + "/gone"));
}

}  // namespace
}  // namespace e2e
