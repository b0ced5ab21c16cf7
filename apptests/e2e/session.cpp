#include "apptests/e2e/session.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "app/main_window_layout.h"
#include "testsupport/real_screens.h"

#include <sys/stat.h>

namespace e2e {
namespace {

constexpr Milliseconds PollStep(50);
constexpr Milliseconds CloseLimit(15000);

// Menu texts are drawn dark on a light bar; the words of one title stand
// closer together than two titles do.
constexpr int DarkLimit = 100;
constexpr int TitleGap = 8;

bool Dark(Rgb colour) { return std::max({colour.red, colour.green, colour.blue}) < DarkLimit; }

// Runs of columns (or rows) that hold dark pixels, joined across short gaps:
// [first, last] pairs.
std::vector<std::pair<int, int>> DarkRuns(const std::vector<bool>& dark, int gap) {
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < static_cast<int>(dark.size()); ++i) {
        if (!dark[i])
            continue;
        if (!runs.empty() && i - runs.back().second <= gap)
            runs.back().second = i;
        else
            runs.emplace_back(i, i);
    }
    return runs;
}

std::string TestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "_" + info->name();
}

}  // namespace

void ScrlabTest::SetUp() {
    // Shots of an earlier run of this test would tell of a state it no longer reached.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(SCRLAB_E2E_SHOTS_DIR, ignored))
        if (entry.path().filename().string().starts_with(TestName() + "_"))
            std::filesystem::remove(entry.path(), ignored);
    char pattern[] = "/tmp/scrlab-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::filesystem::create_directories(folder_ + "/runtime");
    chmod((folder_ + "/runtime").c_str(), 0700);
    server_ = std::make_unique<XServer>(folder_ + "/xvfb.log");
    ASSERT_TRUE(server_->ready()) << server_->failure();
    desktop_ = std::make_unique<Desktop>(server_->display());
    StartProgram();
}

void ScrlabTest::StartProgram() {
    Environment environment = desktop_->environment();
    environment.push_back({"QT_QPA_PLATFORM", "xcb"});
    environment.push_back({"XDG_RUNTIME_DIR", folder_ + "/runtime"});
    // Only a system library's own leak is let pass in the sanitizer build.
    environment.push_back({"LSAN_OPTIONS", "suppressions=" SCRLAB_LSAN_SUPPRESSIONS ":print_suppressions=0"});
    std::vector<std::string> argv{SCRLAB_PROGRAM};
    for (const std::string& argument : ProgramArguments())
        argv.push_back(argument);
    program_ =
        std::make_unique<Child>(argv, environment, folder_ + "/scrlab.out", folder_ + "/scrlab.err", -1, folder_);
    bool ended = false;
    ASSERT_TRUE(WaitFor("a window titled \"" + std::string(FirstTitle) + "\"", [&] {
        ended = program_->WaitEnd(Milliseconds(0));
        std::vector<std::string> shown = desktop_->VisibleWindowsNamed("^New window \\( 0 \\)$");
        if (!shown.empty())
            window_ = shown.front();
        return ended || !window_.empty();
    }));
    ASSERT_FALSE(ended) << "scrlab ended at start: " << ProgramErrors();
    // Where the window stands and how big it is, as its users know it, written
    // out (with no window manager the X window is the window, menu bar and all).
    Outcome geometry = desktop_->Tool({"xdotool", "getwindowgeometry", "--shell", window_});
    std::istringstream lines(geometry.output);
    std::map<std::string, int> said;
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t equals = line.find('='); equals != std::string::npos && !line.starts_with("WINDOW="))
            said[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
    ASSERT_EQ(said,
              (std::map<std::string, int>{{"HEIGHT", 510}, {"SCREEN", 0}, {"WIDTH", 1073}, {"X", 381}, {"Y", 118}}))
        << geometry.output;
    windowAt_ = {said["X"], said["Y"]};
    LocateViews();
    FocusMainWindow();
    ParkPointer();
}

// The views are X windows of their own (the pointer is held inside one while
// a button is down), so the window tree tells exactly where they are.
void ScrlabTest::LocateViews() {
    std::vector<XWindow> views;
    ASSERT_TRUE(WaitFor("two view windows of the views' size", [&] {
        views.clear();
        for (const XWindow& window : desktop_->Windows(window_, true))
            if (window.width == render::ViewWidth && window.height == render::ViewHeight)
                views.push_back(window);
        return views.size() == 2;
    }));
    std::sort(views.begin(), views.end(), [](const XWindow& a, const XWindow& b) { return a.x < b.x; });
    mono_ = {views[0].x, views[0].y};
    colour_ = {views[1].x, views[1].y};
    menuBarHeight_ = mono_.y - windowAt_.y - app::layout::ViewTop;
    ASSERT_EQ(mono_.x - windowAt_.x, 0) << "the mono view is not where the window puts it";
    ASSERT_EQ(colour_.x - mono_.x, 530) << "the colour view is not where the window puts it";
    ASSERT_EQ(colour_.y, mono_.y);
    ASSERT_GT(menuBarHeight_, 0) << "no menu bar above the views";
}

void ScrlabTest::TearDown() {
    if (program_) {
        // Ending the program the ordinary way lets the sanitizers check it.
        if (!program_->WaitEnd(Milliseconds(0))) {
            desktop_->Tool({SCRLAB_CLOSE_REQUEST, window_});
            if (!program_->WaitEnd(CloseLimit))
                program_->Stop();
        }
        std::string errors = ProgramErrors();
        if (errors.find("Sanitizer") != std::string::npos || errors.find("runtime error") != std::string::npos)
            ADD_FAILURE() << "scrlab reported:\n" << errors;
        program_.reset();
    }
    desktop_.reset();
    server_.reset();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string ScrlabTest::ProgramErrors() const { return ReadWholeFile(folder_ + "/scrlab.err"); }

std::string ScrlabTest::Title() const { return desktop_->WindowName(window_); }

::testing::AssertionResult WaitFor(const std::string& description, const std::function<bool()>& holds,
                                   Milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (!holds()) {
        if (Clock::now() >= deadline)
            return ::testing::AssertionFailure() << "waited " << limit.count() << " ms in vain for " << description;
        std::this_thread::sleep_for(PollStep);
    }
    return ::testing::AssertionSuccess();
}

std::string ScrlabTest::WaitTitle(const std::function<bool(const std::string&)>& test, Milliseconds limit) const {
    std::string title;
    WaitFor(
        "the title", [&] { return test(title = Title()); }, limit);
    return title;
}

bool ScrlabTest::WaitProgramEnd(Milliseconds limit) { return program_->WaitEnd(limit); }

Point ScrlabTest::InViewCell(View view, Cell cell, int dx, int dy) const {
    Point origin = ViewOrigin(view);
    return {origin.x + cell.column * render::CellSpan + dx, origin.y + cell.row * render::CellSpan + dy};
}

// Right of the operand row, below the colour view.
Point ScrlabTest::NeutralSpot() const {
    return InArea(app::layout::ColourViewLeft + render::ViewWidth / 2,
                  app::layout::GoBox.y + app::layout::RowHeight * 3);
}

Point ScrlabTest::InArea(int x, int y) const { return {windowAt_.x + x, windowAt_.y + menuBarHeight_ + y}; }

Point ScrlabTest::OnControl(const app::layout::Box& box, std::optional<int> dx) const {
    return InArea(box.x + dx.value_or(box.width / 2), box.y + box.height / 2);
}

void ScrlabTest::ParkPointer() const {
    Point spot = NeutralSpot();
    desktop_->MovePointer(spot.x, spot.y);
}

void ScrlabTest::Keys(const std::string& keys) const { EXPECT_TRUE(desktop_->Xdo({"key", keys})) << keys; }

void ScrlabTest::Type(const std::string& text) const {
    EXPECT_TRUE(desktop_->Xdo({"type", "--delay", "5", text})) << text;
}

void ScrlabTest::Click(Point at, int button) const {
    EXPECT_TRUE(
        desktop_->Xdo({"mousemove", std::to_string(at.x), std::to_string(at.y), "click", std::to_string(button)}));
}

::testing::AssertionResult ScrlabTest::PointAt(View view, Cell cell, const std::string& expectedTitle) {
    const Point at = InViewCell(view, cell);
    std::string title;
    int nudge = 0;
    ::testing::AssertionResult pointed = WaitFor("the title \"" + expectedTitle + "\"", [&] {
        desktop_->MovePointer(at.x + nudge++ % 2, at.y);
        return WaitFor(
            "the title to follow the movement", [&] { return (title = Title()) == expectedTitle; }, NudgeLimit);
    });
    if (!pointed)
        return pointed << "; the title reads \"" << title << "\"";
    return pointed;
}

void ScrlabTest::FocusMainWindow() const { EXPECT_TRUE(desktop_->Xdo({"windowfocus", "--sync", window_})); }

std::optional<Point> ScrlabTest::MenuTitleCentre(MenuTitle title) const {
    std::optional<Image> shot = desktop_->Screenshot();
    if (!shot)
        return std::nullopt;
    std::vector<bool> dark(app::layout::InnerWidth, false);
    for (int x = 0; x < app::layout::InnerWidth; ++x)
        for (int y = 0; y < menuBarHeight_; ++y)
            if (Dark(shot->At(windowAt_.x + x, windowAt_.y + y)))
                dark[x] = true;
    std::vector<std::pair<int, int>> titles = DarkRuns(dark, TitleGap);
    const auto index = static_cast<std::size_t>(title);
    if (titles.size() != 3)
        return std::nullopt;
    return Point{windowAt_.x + (titles[index].first + titles[index].second) / 2, windowAt_.y + menuBarHeight_ / 2};
}

void ScrlabTest::ChooseMenu(MenuTitle title, int item) {
    std::optional<Point> at = MenuTitleCentre(title);
    ASSERT_TRUE(at) << "the menu bar does not show three titles";
    Click(*at);
    if (title == MenuTitle::Undo)
        return;
    // The drop-down is a window of its own; it takes the keyboard while open.
    ASSERT_TRUE(WaitForPopup("the drop-down menu"));
    for (int i = 0; i <= item; ++i)
        Keys("Down");
    Keys("Return");
}

// The drop-down of a menu or of the operations list is a window of its own.
// Keys sent before it is shown would reach the control under the focus; from
// then on the program hands every key to the drop-down, whichever of its
// windows has the focus.
::testing::AssertionResult ScrlabTest::WaitForPopup(const std::string& what) const {
    return WaitFor(what + " to open", [&] {
        Outcome outcome = desktop_->Tool({"xdotool", "search", "--onlyvisible", "--classname", "scrlab"});
        std::istringstream ids(outcome.output);
        std::string id;
        while (ids >> id)
            if (id != window_)
                return true;
        return false;
    });
}

std::string ScrlabTest::CopyScreen(const std::string& name, const std::string& as) const {
    const std::string target = folder_ + "/" + (as.empty() ? name : as);
    std::filesystem::create_directories(std::filesystem::path(target).parent_path());
    std::filesystem::copy_file(testsupport::RealScreenPath(name), target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
}

ScreenBytes ScrlabTest::ReadScreen(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    return ScreenBytes(bytes.begin(), bytes.end());
}

std::string ScrlabTest::WaitRequester() const {
    Keys("ctrl+o");
    return WaitMessageBox("Please choose file to load");
}

void ScrlabTest::OpenThroughRequester(const std::string& path) {
    const std::string requester = WaitRequester();
    ASSERT_FALSE(requester.empty()) << "Control+O opened no requester";
    EXPECT_TRUE(desktop_->Xdo({"windowfocus", "--sync", requester}));
    Type(path);
    Keys("Return");
    EXPECT_TRUE(WaitFor("the requester to close",
                        [&] { return desktop_->VisibleWindowsNamed("^Please choose file to load$").empty(); }));
}

void ScrlabTest::Open(const std::string& path) {
    OpenThroughRequester(path);
    EXPECT_TRUE(WaitViews(ReadScreen(path)));
}

std::string ScrlabTest::WaitFileContents(const std::string& path, const std::string& expected) const {
    std::string contents;
    WaitFor(path + " to hold the expected bytes", [&] { return (contents = ReadWholeFile(path)) == expected; });
    return contents;
}

ScreenBytes ScrlabTest::SaveAndRead(const std::string& path, const ScreenBytes& expected) {
    Keys("ctrl+s");
    std::string contents = WaitFileContents(path, std::string(expected.begin(), expected.end()));
    return ScreenBytes(contents.begin(), contents.end());
}

std::optional<Image> ScrlabTest::ViewShot(View view) const {
    std::optional<Image> shot = desktop_->Screenshot();
    if (!shot)
        return std::nullopt;
    Point origin = ViewOrigin(view);
    return shot->Crop(origin.x, origin.y, render::ViewWidth, render::ViewHeight);
}

::testing::AssertionResult ScrlabTest::WaitView(View view, const Image& expected, Milliseconds limit) {
    std::optional<Image> shown;
    if (WaitFor(
            "the view's picture", [&] { return (shown = ViewShot(view)) && *shown == expected; }, limit))
        return ::testing::AssertionSuccess();
    Shot("mismatch");
    if (!shown)
        return ::testing::AssertionFailure() << "no screenshot";
    return ::testing::AssertionFailure() << (view == View::Mono ? "mono" : "colour")
                                         << " view: " << Compare(*shown, expected).Describe(*shown, expected);
}

::testing::AssertionResult ScrlabTest::WaitViews(const ScreenBytes& screen, std::optional<Cell> highlight, bool grid,
                                                 Milliseconds limit) {
    if (screen.size() != static_cast<std::size_t>(screen::ScreenSize))
        return ::testing::AssertionFailure() << "not a screen: " << screen.size() << " bytes";
    ::testing::AssertionResult mono = WaitView(View::Mono, ViewPicture(screen, View::Mono, highlight, grid), limit);
    if (!mono)
        return mono;
    return WaitView(View::Colour, ViewPicture(screen, View::Colour, highlight, grid), limit);
}

void ScrlabTest::Shot(const std::string& name) const {
    std::optional<Image> shot = desktop_->Screenshot();
    if (!shot)
        return;
    std::filesystem::create_directories(SCRLAB_E2E_SHOTS_DIR);
    desktop_->SavePng(*shot, std::string(SCRLAB_E2E_SHOTS_DIR) + "/" + TestName() + "_" + name + ".png");
}

std::string ScrlabTest::WaitMessageBox(const std::string& title, Milliseconds limit) const {
    std::vector<std::string> ids;
    if (!WaitFor(
            "a window titled \"" + title + "\"",
            [&] { return !(ids = desktop_->VisibleWindowsNamed("^" + title + "$")).empty(); }, limit))
        return {};
    return ids.front();
}

::testing::AssertionResult ScrlabTest::DismissMessageBox(const std::string& id) const {
    const std::string title = desktop_->WindowName(id);
    desktop_->Xdo({"windowfocus", "--sync", id});
    desktop_->Xdo({"key", "Return"});
    return WaitFor("the \"" + title + "\" box to close after Return", [&] {
        std::vector<std::string> ids = desktop_->VisibleWindowsNamed("^" + title + "$");
        return std::find(ids.begin(), ids.end(), id) == ids.end();
    });
}

std::vector<std::string> ScrlabTest::OpenMessageBoxes() const {
    return desktop_->VisibleWindowsNamed("^(Error|Information)$");
}

}  // namespace e2e

namespace e2e {

std::string StatusTitle(Cell cell, std::uint8_t attribute, const std::string& fileName) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) {
        bits += (attribute >> bit) & 1 ? '1' : '0';
        if (bit == 6 || bit == 3)
            bits += ':';
    }
    return "x:" + std::to_string(cell.column) + " y:" + std::to_string(cell.row) + " attribute:" + bits +
           " file:" + fileName;
}

ScreenBytes Transformed(const ScreenBytes& screen,
                        const std::function<void(screen::ScreenSpan, screen::ScreenSpan)>& operation) {
    std::array<std::uint8_t, screen::ScreenSize> working{};
    std::array<std::uint8_t, screen::ScreenSize> scratch{};
    std::copy_n(screen.begin(), working.size(), working.begin());
    operation(working, scratch);
    return ScreenBytes(working.begin(), working.end());
}

}  // namespace e2e
