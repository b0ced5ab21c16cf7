#include "app/e2e/measured_programs.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace e2e {
namespace {

constexpr Milliseconds Limit(30000);

std::string VisibleWindow(const Desktop& desktop, const std::string& pattern) {
    Outcome found = desktop.Tool({"xdotool", "search", "--onlyvisible", "--name", pattern});
    return found.output.substr(0, found.output.find('\n'));
}

} // namespace

std::unique_ptr<Child> StartOnStage(const Stage& stage, const std::vector<std::string>& argv) {
    Environment environment = stage.desktop.environment();
    environment.push_back({"QT_QPA_PLATFORM", "xcb"});
    environment.push_back({"XDG_RUNTIME_DIR", stage.folder});
    return std::make_unique<Child>(argv, environment, stage.OutputPath(), stage.ErrorsPath(), -1, stage.folder);
}

// Polls without pausing: each look is a short-lived xdotool of a few milliseconds.
std::string WaitVisible(const Desktop& desktop, const std::string& pattern) {
    const Clock::time_point deadline = Clock::now() + Limit;
    std::string id;
    while (id.empty() && Clock::now() < deadline)
        id = VisibleWindow(desktop, pattern);
    return id;
}

long StatusField(pid_t pid, const std::string& field) {
    std::string status = ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    std::size_t at = status.find(field + ":");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + field.size() + 1);
}

bool WaitFileWritten(const std::string& path) {
    const Clock::time_point deadline = Clock::now() + Limit;
    std::error_code missing;
    while (Clock::now() < deadline) {
        if (std::filesystem::file_size(path, missing) > 0 && !missing)
            return true;
        std::this_thread::sleep_for(Milliseconds(20));
    }
    return false;
}

// xprop prints the title as it is, then a line for each change. Into a file
// its output is buffered, and stopping it would lose the last lines.
TitleWatch::TitleWatch(const Stage& stage, const std::string& window) : path_(stage.folder + "/titles.out") {
    spy_ = std::make_unique<Child>(std::vector<std::string>{"stdbuf", "-oL", "xprop", "-id", window, "-spy", "WM_NAME"},
                                   stage.desktop.environment(), path_, stage.folder + "/titles.err");
    ready_ = WaitFileWritten(path_);
}

long TitleWatch::StopAndCount() {
    spy_->Stop();
    if (!ready_)
        return -1;
    const std::string titles = ReadWholeFile(path_);
    return static_cast<long>(std::count(titles.begin(), titles.end(), '\n')) - 1;
}

// The title shows the file only once the pointer moves over a view.
bool LoadScreen(const Desktop& desktop, const std::string& window, WindowPoint origin, const std::string& screen) {
    desktop.Xdo({"windowfocus", "--sync", window});
    desktop.Xdo({"key", "ctrl+o"});
    const std::string requester = WaitVisible(desktop, "^Please choose file to load$");
    if (requester.empty())
        return false;
    desktop.Xdo({"windowfocus", "--sync", requester});
    desktop.Xdo({"type", "--delay", "2", screen});
    desktop.Xdo({"key", "Return"});
    const Clock::time_point deadline = Clock::now() + Limit;
    for (int step = 0; Clock::now() < deadline; ++step) {
        desktop.MovePointer(origin.x + 100 + step % 300, origin.y + 100);
        if (desktop.WindowName(window).find("file:" + screen) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace e2e
