#include "app/e2e/measured_programs.h"

#include <cstdlib>

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
