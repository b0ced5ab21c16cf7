#include "apptests/e2e/measured_programs.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace e2e {
namespace {

constexpr Milliseconds Limit(30000);

std::string VisibleWindow(const Desktop& desktop, const std::string& pattern) {
    Outcome found = desktop.Tool({"xdotool", "search", "--onlyvisible", "--name", pattern});
    return found.output.substr(0, found.output.find('\n'));
}

}  // namespace

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

namespace {

// The symbol's address in the executable as linked; 0 when it has none.
std::uint64_t LinkedAddress(const std::string& executable, const std::string& symbol) {
    const Outcome listed = RunToEnd({"nm", "--defined-only", executable}, Limit);
    std::istringstream lines(listed.output);
    std::string address, kind, name;
    while (lines >> address >> kind >> name)
        if (name == symbol)
            return std::strtoull(address.c_str(), nullptr, 16);
    return 0;
}

// Where the executable's first part is mapped in the process; 0 when it is not.
std::uint64_t LoadAddress(pid_t pid, const std::string& executable) {
    std::error_code failed;
    const std::string path = std::filesystem::canonical(executable, failed);
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    while (!failed && std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, mode, offset, device, inode, mapped;
        fields >> range >> mode >> offset >> device >> inode >> mapped;
        if (mapped == path && std::strtoull(offset.c_str(), nullptr, 16) == 0)
            return std::strtoull(range.c_str(), nullptr, 16);
    }
    return 0;
}

}  // namespace

long ProgramCounter(pid_t pid, const std::string& executable, const std::string& symbol) {
    const std::uint64_t linked = LinkedAddress(executable, symbol);
    const std::uint64_t loaded = LoadAddress(pid, executable);
    if (linked == 0 || loaded == 0)
        return -1;
    const int memory = open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
    if (memory < 0)
        return -1;
    std::uint64_t count = 0;
    // A position-independent executable is linked at 0 and moved; one that is not is loaded where linked.
    const std::uint64_t at = linked < loaded ? loaded + linked : linked;
    const bool read = pread(memory, &count, sizeof count, static_cast<off_t>(at)) == sizeof count;
    close(memory);
    return read ? static_cast<long>(count) : -1;
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

}  // namespace e2e
