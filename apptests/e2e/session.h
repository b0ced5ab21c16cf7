#pragma once
// The fixture of the tests that drive the real program: every test gets its
// own X server, its own running scrlab and its own folder of screens, and
// loses all three at the end, whatever happened.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "apptests/e2e/desktop.h"
#include "apptests/e2e/pictures.h"
#include "apptests/e2e/process.h"
#include "app/main_window_layout.h"
#include "screen/operations.h"

namespace e2e {

// Generous, for the sanitizer build; every wait polls and ends early.
inline constexpr Milliseconds Patience(30000);
// How long the program may take to answer a pointer movement before the
// pointer is nudged again.
inline constexpr Milliseconds NudgeLimit(250);

// The window's title before any pointer movement over a view.
inline constexpr char FirstTitle[] = "New window ( 0 )";

enum class MenuTitle { File = 0, Operations = 1, Undo = 2 };

// Items as the keyboard walks them (separators are skipped).
enum class FileItem { Open = 0, Save = 1, Quit = 2 };
enum class OperationsItem { Optimize = 0, Invert = 1, Split = 2, FindContour = 3, CreateMask = 4, Mirror = 5 };

struct Point {
    int x = 0;
    int y = 0;
};

// Polls until `holds` answers true, at most `limit`; the failure names what
// was awaited. Every wait of these tests on the program goes through here.
::testing::AssertionResult WaitFor(const std::string& description, const std::function<bool()>& holds,
                                   Milliseconds limit = Patience);

class ScrlabTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // What the program is started with after its name; the test's folder
    // exists by then and is the program's working folder.
    virtual std::vector<std::string> ProgramArguments() const { return {}; }

    // --- the program and its window
    const Desktop& desktop() const { return *desktop_; }
    std::string Title() const;
    // Polls the title until the test holds; answers the last title seen.
    std::string WaitTitle(const std::function<bool(const std::string&)>& test, Milliseconds limit = Patience) const;
    // Whether the program has ended by the limit (its ending is then known).
    bool WaitProgramEnd(Milliseconds limit = Patience);
    const Ending& ProgramEnding() const { return program_->ending(); }
    const std::string& MainWindow() const { return window_; }

    // --- where things are on the screen
    Point ViewOrigin(View view) const { return view == View::Mono ? mono_ : colour_; }
    Point InViewCell(View view, Cell cell, int dx = 7, int dy = 7) const;
    // A spot of the window away from every control: pointer events there touch nothing.
    Point NeutralSpot() const;
    // A point at (x, y) of the area below the menu bar.
    Point InArea(int x, int y) const;
    // A point on the control in that box: dx from its left edge, or its middle.
    Point OnControl(const app::layout::Box& box, std::optional<int> dx = std::nullopt) const;
    void ParkPointer() const;

    // --- acting
    void Keys(const std::string& keys) const;  // xdotool key syntax: "ctrl+o"
    void Type(const std::string& text) const;
    void Click(Point at, int button = 1) const;
    void FocusMainWindow() const;
    // Moves the pointer onto the cell and nudges it there until the title
    // reads as expected: the movement that enters a view only enters it, and
    // movements that come close together may arrive as one.
    ::testing::AssertionResult PointAt(View view, Cell cell, const std::string& expectedTitle);
    // Waits until a drop-down (a menu's, the operations list's) is shown: keys go to it from then on.
    ::testing::AssertionResult WaitForPopup(const std::string& what) const;
    // Clicks the title on the bar; for File and Operations then walks to the item.
    void ChooseMenu(MenuTitle title, int item = -1);
    void ChooseOperation(OperationsItem item) { ChooseMenu(MenuTitle::Operations, static_cast<int>(item)); }

    // --- screens and files
    std::string Folder() const { return folder_; }
    // Copies a screen of the test data into this test's folder; answers its path.
    std::string CopyScreen(const std::string& name, const std::string& as = "") const;
    static ScreenBytes ReadScreen(const std::string& path);
    // Control+O; answers the id of the requester that opens, or "".
    std::string WaitRequester() const;
    // Control+O, the path typed into the requester, Return.
    void OpenThroughRequester(const std::string& path);
    // Opens the path and waits until both views show it.
    void Open(const std::string& path);
    // Control+S and waits until the file holds the expected bytes; answers what it holds.
    ScreenBytes SaveAndRead(const std::string& path, const ScreenBytes& expected);
    // Polls the file until it holds exactly these bytes; answers what it holds last.
    std::string WaitFileContents(const std::string& path, const std::string& expected) const;

    // --- what the screen shows
    std::optional<Image> ViewShot(View view) const;
    // Polls both views until they show the screen as the drawing rule gives it;
    // on a timeout the failure names the differences.
    ::testing::AssertionResult WaitViews(const ScreenBytes& screen, std::optional<Cell> highlight = std::nullopt,
                                         bool grid = false, Milliseconds limit = Patience);
    ::testing::AssertionResult WaitView(View view, const Image& expected, Milliseconds limit = Patience);
    // Saves the whole screen into the build tree's shot folder as <Suite>_<Test>_<name>.png.
    void Shot(const std::string& name) const;

    // --- message boxes
    // Waits for a visible window with exactly this title (a message box, the
    // requester); answers its id or "".
    std::string WaitMessageBox(const std::string& title, Milliseconds limit = Patience) const;
    // Presses its OK button with Return and waits until it is gone.
    ::testing::AssertionResult DismissMessageBox(const std::string& id) const;
    // The visible windows titled "Error" or "Information".
    std::vector<std::string> OpenMessageBoxes() const;

    // The program's standard error so far.
    std::string ProgramErrors() const;

private:
    void StartProgram();
    void LocateViews();
    std::optional<Point> MenuTitleCentre(MenuTitle title) const;

    std::string folder_;
    std::unique_ptr<XServer> server_;
    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<Child> program_;
    std::string window_;
    Point windowAt_;
    Point mono_;
    Point colour_;
    int menuBarHeight_ = 0;
};

}  // namespace e2e

namespace e2e {

// The title the window must show with the pointer over a cell of that attribute.
std::string StatusTitle(Cell cell, std::uint8_t attribute, const std::string& fileName);

// The screen library's operation on a copy of the bytes (with a scratch plane of its own).
ScreenBytes Transformed(const ScreenBytes& screen,
                        const std::function<void(screen::ScreenSpan, screen::ScreenSpan)>& operation);
// A catalogue row on a copy of the bytes.
inline ScreenBytes Transformed(const ScreenBytes& screen, screen::OperationId id) {
    return Transformed(screen, screen::OperationRow(id).apply);
}

}  // namespace e2e
