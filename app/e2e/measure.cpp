// Measures the running program in a private X server, next to a minimal Qt
// window of the same shape started and moved over the same way:
// - the time from starting the process to its window being shown (median of
//   several starts), for both;
// - the processor time one pointer movement costs, at 125 and 1000 movements a
//   second, each movement into a new cell (against the minimal window doing
//   the least such a movement asks: retitle, repaint two cells of two views)
//   and within one cell (against the minimal window only receiving them);
// - the peak resident memory after a screen is loaded and all those movements.
//
//     scrlab_measure [--runs N] [--moves N] [path of scrlab]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/e2e/desktop.h"
#include "app/e2e/pointer_runs.h"
#include "app/e2e/process.h"

namespace {

using e2e::Clock;
using e2e::Milliseconds;
using e2e::MovePattern;

constexpr Milliseconds Limit(30000);
const char ScrlabTitle[] = "^New window \\( 0 \\)$";
const char MinimalTitle[] = "^Minimal window$";

struct Rate {
    const char* name;
    double interval;  // seconds between movements
};
constexpr Rate Rates[] = {{"125 Hz", 0.008}, {"1000 Hz", 0.001}};

struct Options {
    int runs = 9;
    int moves = 400;
    std::string program = SCRLAB_PROGRAM;
};

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

std::unique_ptr<e2e::Child> Start(const std::vector<std::string>& argv, const e2e::Desktop& desktop,
                                  const std::string& folder) {
    e2e::Environment environment = desktop.environment();
    environment.push_back({"QT_QPA_PLATFORM", "xcb"});
    environment.push_back({"XDG_RUNTIME_DIR", folder});
    return std::make_unique<e2e::Child>(argv, environment, folder + "/program.out", folder + "/program.err", -1,
                                        folder);
}

// "VmHWM:   123456 kB" and the like, in kB.
long StatusField(pid_t pid, const std::string& field) {
    std::string status = e2e::ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    std::size_t at = status.find(field + ":");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + field.size() + 1);
}

bool MeasureStart(const char* label, const std::vector<std::string>& argv, const char* title,
                  const e2e::Desktop& desktop, const std::string& folder, int runs) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point started = Clock::now();
        auto child = Start(argv, desktop, folder);
        if (WaitVisible(desktop, title).empty()) {
            std::fprintf(stderr, "%s: no window appeared: %s\n", label,
                         e2e::ReadWholeFile(folder + "/program.err").c_str());
            return false;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        child->Stop();
    }
    std::sort(times.begin(), times.end());
    std::printf("start to window shown, %s: median %.0f ms (min %.0f, max %.0f, %d starts)\n", label,
                times[times.size() / 2], times.front(), times.back(), runs);
    return true;
}

// Through the open requester, as a user would; the title shows the file only
// once the pointer moves over a view.
bool LoadScreen(const e2e::Desktop& desktop, const std::string& window, e2e::WindowPoint origin,
                const std::string& screen) {
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

struct Figures {
    e2e::PointerRun scrlab;
    e2e::PointerRun minimal;
    long received = -1;  // movements that reached the minimal window's views
};

// "movements N", printed by the minimal window when it is stopped.
long ReceivedMovements(const std::string& output) {
    std::size_t at = output.find("movements ");
    return at == std::string::npos ? -1 : std::atol(output.c_str() + at + 10);
}

// A fresh minimal window for each run, so its count of movements is the run's.
std::optional<e2e::PointerRun> RunMinimal(const e2e::Desktop& desktop, const std::string& folder, const char* mode,
                                          const std::vector<e2e::WindowPoint>& plan, double interval,
                                          long& received) {
    auto child = Start({SCRLAB_MINIMAL_WINDOW, mode}, desktop, folder);
    const std::string window = WaitVisible(desktop, MinimalTitle);
    std::optional<e2e::WindowPoint> origin = window.empty() ? std::nullopt : e2e::WindowOrigin(desktop, window);
    if (!origin)
        return std::nullopt;
    std::optional<e2e::PointerRun> run = e2e::RunMoves(desktop, child->pid(), *origin, plan, interval);
    child->Stop();
    // The movement that put the pointer on its first position counts too.
    received = ReceivedMovements(e2e::ReadWholeFile(folder + "/program.out")) - 1;
    return run;
}

void PrintPair(const char* rate, const char* pattern, const char* peer, const Figures& f, double target,
               double goal) {
    const double ratio = f.minimal.cpuPerMove > 0 ? f.scrlab.cpuPerMove / f.minimal.cpuPerMove : 0;
    std::printf("%-8s %-12s %6.3f (%5.3f)   %-13s %6.3f (%5.3f)   %5.2f  %4.1f  %4.1f   %4.0f / %4.0f  %5ld of %d\n",
                rate, pattern, f.scrlab.cpuPerMove, f.scrlab.ticksPerMove, peer, f.minimal.cpuPerMove,
                f.minimal.ticksPerMove, ratio, target, goal, f.scrlab.sentHz(), f.minimal.sentHz(), f.received,
                f.minimal.movements);
}

bool MeasureMovements(const Options& options, const e2e::Desktop& desktop, const std::string& folder) {
    const std::string screen = folder + "/screen02.scr";
    std::filesystem::copy_file(std::string(SCRLAB_TESTDATA_DIR) + "/screen02.scr", screen,
                               std::filesystem::copy_options::overwrite_existing);
    auto child = Start({options.program}, desktop, folder);
    const std::string window = WaitVisible(desktop, ScrlabTitle);
    std::optional<e2e::WindowPoint> origin = window.empty() ? std::nullopt : e2e::WindowOrigin(desktop, window);
    if (!origin)
        return false;
    const long atStart = StatusField(child->pid(), "VmRSS");
    if (!LoadScreen(desktop, window, *origin, screen)) {
        std::fprintf(stderr, "the screen did not load: %s\n", e2e::ReadWholeFile(folder + "/program.err").c_str());
        return false;
    }
    const auto newCell = e2e::PlanMoves(MovePattern::NewCell, options.moves + 1);
    const auto withinCell = e2e::PlanMoves(MovePattern::WithinCell, options.moves + 1);
    std::vector<Figures> figures;
    for (const Rate& rate : Rates) {
        for (const auto* plan : {&newCell, &withinCell}) {
            std::optional<e2e::PointerRun> run = e2e::RunMoves(desktop, child->pid(), *origin, *plan, rate.interval);
            if (!run) {
                std::fprintf(stderr, "scrlab did not settle after the movements at %s\n", rate.name);
                return false;
            }
            figures.push_back({*run, {}, -1});
        }
    }
    const long peak = StatusField(child->pid(), "VmHWM");
    const long now = StatusField(child->pid(), "VmRSS");
    child->Stop();
    std::printf("resident memory: %.1f MiB at start, %.1f MiB after loading and %d movements, peak %.1f MiB\n",
                atStart / 1024.0, now / 1024.0, 4 * options.moves, peak / 1024.0);

    std::size_t next = 0;
    for (const Rate& rate : Rates) {
        for (const auto* plan : {&newCell, &withinCell}) {
            Figures& f = figures[next++];
            std::optional<e2e::PointerRun> run = RunMinimal(desktop, folder, plan == &newCell ? "floor" : "receive",
                                                            *plan, rate.interval, f.received);
            if (!run) {
                std::fprintf(stderr, "the minimal window failed at %s: %s\n", rate.name,
                             e2e::ReadWholeFile(folder + "/program.err").c_str());
                return false;
            }
            f.minimal = *run;
        }
    }
    std::printf("processor time per pointer movement, ms: threads' run time (utime + stime, 10 ms ticks)\n"
                "rate     pattern      scrlab            minimal window                ratio target goal   "
                "sent Hz s / m  received by m\n");
    next = 0;
    for (const Rate& rate : Rates) {
        PrintPair(rate.name, "new cell", "floor", figures[next++], 2.0, 1.5);
        PrintPair(rate.name, "within cell", "receive-only", figures[next++], 1.5, 1.2);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--moves" && i + 1 < argc)
            options.moves = std::max(10, std::atoi(argv[++i]));
        else
            options.program = std::filesystem::absolute(arg);  // it starts in a folder of its own
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
            std::printf("program: %s\n", options.program.c_str());
            if (MeasureStart("scrlab", {options.program}, ScrlabTitle, desktop, folder, options.runs) &&
                MeasureStart("minimal window", {SCRLAB_MINIMAL_WINDOW, "receive"}, MinimalTitle, desktop, folder,
                             options.runs) &&
                MeasureMovements(options, desktop, folder))
                status = 0;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
