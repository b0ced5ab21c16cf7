// `scrlab FILE`, as a file manager's "Open With" starts it: the file loads as
// a drop of it alone would, and anything else on the command line is refused
// before a window opens.

#include <filesystem>

#include "apptests/e2e/session.h"
#include "testsupport/real_screens.h"

namespace e2e {
namespace {

constexpr int AttributeStart = 6144;

class EndToEndOpenWith : public ScrlabTest {
protected:
    explicit EndToEndOpenWith(std::string file) : file_(std::move(file)) {}
    std::vector<std::string> ProgramArguments() const override { return {file_}; }
    // The drop's message; nothing was loaded, so the views stay white.
    void ExpectRefusedAsADropIs(const std::string& box) {
        ASSERT_FALSE(box.empty()) << "no \"this is not ZX Spectrum picture!\" box";
        EXPECT_TRUE(DismissMessageBox(box));
        const Image white(render::ViewWidth, render::ViewHeight, White);
        EXPECT_TRUE(WaitView(View::Mono, white));
        EXPECT_TRUE(WaitView(View::Colour, white));
        EXPECT_TRUE(OpenMessageBoxes().empty());
    }
    std::string file_;
};

// Named relative to the program's working folder: the title names it in full.
class OpenWithScreen : public EndToEndOpenWith {
protected:
    OpenWithScreen() : EndToEndOpenWith("") {}
    std::vector<std::string> ProgramArguments() const override {
        return {std::filesystem::relative(Screen(), Folder()).string()};
    }
    static std::string Screen() { return testsupport::RealScreenPath("screen02"); }
};

TEST_F(OpenWithScreen, LoadsTheFileIntoBothViewsAndTheTitle) {
    const ScreenBytes screen = ReadScreen(Screen());
    EXPECT_TRUE(WaitViews(screen));
    Shot("loaded");
    const Cell cell{17, 6};
    EXPECT_TRUE(PointAt(View::Colour, cell, StatusTitle(cell, screen[AttributeStart + 6 * 32 + 17], Screen())));
    EXPECT_TRUE(OpenMessageBoxes().empty());
}

class OpenWithNoScreen : public EndToEndOpenWith {
protected:
    // Some file of another size.
    OpenWithNoScreen()
        : EndToEndOpenWith(
              (std::filesystem::path(testsupport::RealScreenPath("screen02")).parent_path() / "SOURCES.md").string()) {}
};
class OpenWithMissingFile : public EndToEndOpenWith {
protected:
    OpenWithMissingFile() : EndToEndOpenWith("missing.scr") {}
};

TEST_F(OpenWithNoScreen, ShowsTheMessageADropWould) {
    const std::string box = WaitMessageBox("Error");
    Shot("not_a_screen");
    ExpectRefusedAsADropIs(box);
}

TEST_F(OpenWithMissingFile, ShowsTheMessageADropWould) { ExpectRefusedAsADropIs(WaitMessageBox("Error")); }

// Refused ones run where a window would open at once: only the refusal
// itself can end them in time.
TEST(EndToEndOpenWithRefusals, AnOptionOrTwoFilesEndWithStatusTwoAndNoWindow) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-x"}, {"a.scr", "b.scr"}, {"--help"}, {"a.scr", "-"}}) {
        std::vector<std::string> argv{SCRLAB_PROGRAM};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        SCOPED_TRACE(argv.back());
        const Outcome outcome = RunToEnd(argv, Milliseconds(20000), {{"QT_QPA_PLATFORM", "offscreen"}});
        ASSERT_TRUE(outcome.ending.ended) << "a window opened";
        EXPECT_EQ(outcome.ending.exitStatus, 2);
        EXPECT_TRUE(outcome.errors.starts_with("scrlab: ")) << outcome.errors;
        EXPECT_EQ(outcome.errors.find('\n'), outcome.errors.size() - 1) << "not one line: " << outcome.errors;
        EXPECT_TRUE(outcome.output.empty());
    }
}

}  // namespace
}  // namespace e2e
