// Measures the running program in a private X server: the time from starting
// the process to its window being shown (median of several starts), and the
// peak resident memory after a screen is loaded and the pointer has moved
// over both views.
//
//     scrlab_measure [--runs N] [path of scrlab]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "app/e2e/desktop.h"
#include "app/e2e/process.h"

namespace {

using e2e::Clock;
using e2e::Milliseconds;

constexpr Milliseconds Limit(30000);
const char ShownTitle[] = "^New window \\( 0 \\)$";

std::string VisibleWindow(const e2e::Desktop& desktop, const std::string& pattern) {
    e2e::Outcome found = desktop.Tool({"xdotool", "search", "--onlyvisible", "--name", pattern});
    return found.output.substr(0, found.output.find('\n'));
}

// Polls without pausing: each look is a short-lived xdotool of a few milliseconds.
std::string WaitVisible(const e2e::Desktop& desktop, const std::string& pattern) {
    const Clock::time_point deadline = Clock::now() + Limit;
    std::string id;
    while (id.empty() && Clock::now() < deadline)
        id = VisibleWindow(desktop, pattern);
    return id;
}

std::unique_ptr<e2e::Child> StartProgram(const std::string& program, const e2e::Desktop& desktop,
                                         const std::string& folder) {
    e2e::Environment environment = desktop.environment();
    environment.push_back({"QT_QPA_PLATFORM", "xcb"});
    environment.push_back({"XDG_RUNTIME_DIR", folder});
    return std::make_unique<e2e::Child>(std::vector<std::string>{program}, environment, folder + "/scrlab.out",
                                        folder + "/scrlab.err", -1, folder);
}

// "VmHWM:   123456 kB" and the like, in kB.
long StatusField(pid_t pid, const std::string& field) {
    std::string status = e2e::ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    std::size_t at = status.find(field + ":");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + field.size() + 1);
}

bool MeasureStart(const std::string& program, const e2e::Desktop& desktop, const std::string& folder, int runs) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point started = Clock::now();
        auto child = StartProgram(program, desktop, folder);
        if (WaitVisible(desktop, ShownTitle).empty()) {
            std::fprintf(stderr, "no window appeared: %s\n", e2e::ReadWholeFile(folder + "/scrlab.err").c_str());
            return false;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        child->Stop();
    }
    std::sort(times.begin(), times.end());
    std::printf("start to window shown: median %.0f ms (min %.0f, max %.0f, %d starts)\n", times[times.size() / 2],
                times.front(), times.back(), runs);
    return true;
}

bool MeasureMemory(const std::string& program, const e2e::Desktop& desktop, const std::string& folder) {
    const std::string screen = folder + "/screen02.scr";
    std::filesystem::copy_file(std::string(SCRLAB_TESTDATA_DIR) + "/screen02.scr", screen,
                               std::filesystem::copy_options::overwrite_existing);
    auto child = StartProgram(program, desktop, folder);
    const std::string window = WaitVisible(desktop, ShownTitle);
    if (window.empty())
        return false;
    const long atStart = StatusField(child->pid(), "VmRSS");
    desktop.Xdo({"windowfocus", "--sync", window});
    desktop.Xdo({"key", "ctrl+o"});
    const std::string requester = WaitVisible(desktop, "^Please choose file to load$");
    if (requester.empty())
        return false;
    desktop.Xdo({"windowfocus", "--sync", requester});
    desktop.Xdo({"type", "--delay", "2", screen});
    desktop.Xdo({"key", "Return"});
    // Over both views, cell by cell, until the title shows the loaded file.
    const std::string geometry = desktop.Tool({"xdotool", "getwindowgeometry", "--shell", window}).output;
    const int left = std::atoi(geometry.c_str() + geometry.find("X=") + 2);
    const int top = std::atoi(geometry.c_str() + geometry.find("Y=") + 2);
    for (int step = 0; step < 200; ++step)
        desktop.MovePointer(left + 8 + (step * 37) % 1040, top + 60 + (step * 23) % 360);
    const Clock::time_point deadline = Clock::now() + Limit;
    while (desktop.WindowName(window).find("file:" + screen) == std::string::npos && Clock::now() < deadline)
        desktop.MovePointer(left + 100 + (std::rand() % 300), top + 100);
    const long peak = StatusField(child->pid(), "VmHWM");
    const long now = StatusField(child->pid(), "VmRSS");
    std::printf("resident memory: %.1f MiB at start, %.1f MiB after loading and 200 movements, peak %.1f MiB\n",
                atStart / 1024.0, now / 1024.0, peak / 1024.0);
    child->Stop();
    return peak > 0;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 9;
    std::string program = SCRLAB_PROGRAM;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            program = std::filesystem::absolute(arg);  // it starts in a folder of its own
    }
    char pattern[] = "/tmp/scrlab-measure-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string folder = pattern;
    int status = 1;
    {
        e2e::XServer server(folder + "/xvfb.log");
        if (!server.ready()) {
            std::fprintf(stderr, "%s\n", server.failure().c_str());
        } else {
            e2e::Desktop desktop(server.display());
            std::printf("program: %s\n", program.c_str());
            if (MeasureStart(program, desktop, folder, runs) && MeasureMemory(program, desktop, folder))
                status = 0;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
