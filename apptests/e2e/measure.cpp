// Measures the running program in a private X server, next to a minimal Qt
// window of the same shape started and moved over the same way:
// - the time from starting the process to its window being shown (median of
//   several starts), for both;
// - the processor time one pointer movement costs, at 125 and 1000 movements a
//   second, each movement into a new cell (against the minimal window doing
//   the least such a movement asks: retitle, repaint two cells of two views)
//   and within one cell (against the minimal window only receiving them), the
//   two programs' runs by turns, with how many movements each handled;
// - the peak resident memory after a screen is loaded and all those movements.
//
//     scrlab_measure [--runs N] [--moves N] [--profile perf.data] [path of scrlab]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "apptests/e2e/measured_programs.h"
#include "app/main_window_layout.h"
#include "render/views.h"
#include "testsupport/real_screens.h"

namespace {

using e2e::Clock;
using e2e::Milliseconds;
using e2e::MovePattern;
using e2e::Stage;

constexpr Milliseconds Limit(30000);
const char ScrlabTitle[] = "^New window \\( 0 \\)$";
const char MinimalTitle[] = "^Minimal window$";
// The count of pointer movements scrlab's views have been handed (toolkit/canvas).
const char MovementCounter[] = "scrlab_canvas_movements";

struct Rate {
    const char* name;
    double interval;   // seconds between movements
    double pause = 0;  // what xdotool sleeps between them to achieve it, corrected run by run
};

// What each pattern is compared with, and how close scrlab should come.
struct Comparison {
    MovePattern pattern;
    const char* name;
    const char* peerMode;  // the minimal window's argument
    double target;         // largest acceptable ratio
    double goal;
};
constexpr Comparison Comparisons[] = {{MovePattern::NewCell, "new cell", "floor", 2.0, 1.5},
                                      {MovePattern::WithinCell, "within cell", "receive", 1.5, 1.2}};

// The minimal window in a mode, shaped as scrlab's main window.
std::vector<std::string> MinimalWindow(const char* mode) {
    using namespace app::layout;
    std::vector<std::string> argv{SCRLAB_MINIMAL_WINDOW, mode};
    for (int number : {InnerWidth, InnerHeight, render::ViewWidth, render::ViewHeight, ViewTop, MonoViewLeft,
                       ColourViewLeft, render::CellSpan})
        argv.push_back(std::to_string(number));
    return argv;
}

struct Options {
    int runs = 9;
    int moves = 400;
    std::string program = SCRLAB_PROGRAM;
    std::string profile;  // where perf writes a profile of one more fast run; empty: none
};

// The rates, with xdotool's pauses measured on this machine now.
std::vector<Rate> CalibratedRates(const e2e::Desktop& desktop) {
    std::vector<Rate> rates{{"125 Hz", 0.008}, {"1000 Hz", 0.001}};
    for (Rate& rate : rates) {
        rate.pause = e2e::CalibratedPause(desktop, rate.interval);
        std::printf("xdotool pause for %s, first guess: %.3f ms\n", rate.name, rate.pause * 1000);
    }
    return rates;
}

struct Figures {
    e2e::PointerRun scrlab;
    e2e::PointerRun minimal;
    long handled = -1;         // movements that reached scrlab's views
    long received = -1;        // movements that reached the minimal window's views
    long scrlabRetitles = -1;  // how often each changed its title during the run
    long minimalRetitles = -1;
};

// A run with the window's title changes counted.
std::optional<e2e::PointerRun> WatchedRun(const Stage& stage, pid_t pid, const std::string& window,
                                          e2e::WindowPoint origin, const std::vector<e2e::WindowPoint>& plan,
                                          Rate& rate, long& retitles) {
    e2e::TitleWatch watch(stage, window);
    auto run = watch.ready() ? e2e::RunMoves(stage.desktop, pid, stage.server, origin, plan, rate.interval, rate.pause)
                             : std::nullopt;
    retitles = watch.StopAndCount();
    return run;
}

struct Started {
    const char* label;
    std::vector<std::string> argv;
    const char* title;
    std::vector<double> times = {};
};

// The programs start by turns, so a change in the machine's load falls on all
// of them alike.
bool MeasureStarts(const Stage& stage, std::vector<Started> programs, int runs) {
    for (int run = 0; run < runs; ++run) {
        for (Started& program : programs) {
            const Clock::time_point started = Clock::now();
            auto child = e2e::StartOnStage(stage, program.argv);
            if (e2e::WaitVisible(stage.desktop, program.title).empty()) {
                std::fprintf(stderr, "%s: no window appeared: %s\n", program.label,
                             e2e::ReadWholeFile(stage.ErrorsPath()).c_str());
                return false;
            }
            program.times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
            child->Stop();
        }
    }
    for (Started& program : programs) {
        std::vector<double>& times = program.times;
        std::sort(times.begin(), times.end());
        std::printf("start to window shown, %s: median %.0f ms (min %.0f, max %.0f, %d starts)\n", program.label,
                    times[times.size() / 2], times.front(), times.back(), runs);
    }
    return true;
}

// "movements N", printed by the minimal window when it is stopped.
long ReceivedMovements(const std::string& output) {
    const std::string label = "movements ";
    std::size_t at = output.find(label);
    return at == std::string::npos ? -1 : std::atol(output.c_str() + at + label.size());
}

// A fresh minimal window for each run, so its count of movements is the run's.
std::optional<e2e::PointerRun> RunMinimal(const Stage& stage, const char* mode,
                                          const std::vector<e2e::WindowPoint>& plan, Rate& rate, Figures& f) {
    auto child = e2e::StartOnStage(stage, MinimalWindow(mode));
    const std::string window = e2e::WaitVisible(stage.desktop, MinimalTitle);
    auto origin = window.empty() ? std::nullopt : e2e::ViewsOrigin(stage.desktop, window, e2e::ViewWindows::Painted);
    if (!origin)
        return std::nullopt;
    auto run = WatchedRun(stage, child->pid(), window, *origin, plan, rate, f.minimalRetitles);
    child->Stop();
    // Less the movement that put the pointer on its first position.
    f.received = ReceivedMovements(e2e::ReadWholeFile(stage.OutputPath())) - 1;
    return run;
}

// One more run under perf, after the measured ones so its sampling costs them
// nothing.
bool Profile(const Stage& stage, const std::string& path, pid_t pid, e2e::WindowPoint origin,
             const std::vector<e2e::WindowPoint>& plan, Rate& rate) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    e2e::Child perf({"perf", "record", "-e", "cpu-clock", "-g", "-p", std::to_string(pid), "-o", path}, {},
                    stage.folder + "/perf.out", stage.folder + "/perf.err");
    if (!e2e::WaitFileWritten(path) ||
        !e2e::RunMoves(stage.desktop, pid, stage.server, origin, plan, rate.interval, rate.pause)) {
        std::fprintf(stderr, "no profile: %s\n", e2e::ReadWholeFile(stage.folder + "/perf.err").c_str());
        return false;
    }
    perf.Stop();
    std::printf("profile of %zu more movements into new cells at %s: %s\n", plan.size() - 1, rate.name, path.c_str());
    return true;
}

// Every rate and pattern against scrlab, with a screen loaded, each run
// followed at once by the same run against a fresh minimal window, so that a
// change in the machine's load falls on both alike; then the memory scrlab
// has taken.
bool MeasurePointerRuns(const Stage& stage, const Options& options, std::vector<Rate>& rates,
                        std::vector<Figures>& figures) {
    const std::string screen = stage.folder + "/screen02.scr";
    std::filesystem::copy_file(testsupport::RealScreenPath("screen02"), screen,
                               std::filesystem::copy_options::overwrite_existing);
    auto child = e2e::StartOnStage(stage, {options.program});
    const std::string window = e2e::WaitVisible(stage.desktop, ScrlabTitle);
    auto origin = window.empty() ? std::nullopt : e2e::ViewsOrigin(stage.desktop, window, e2e::ViewWindows::Native);
    if (!origin) {
        std::fprintf(stderr, "scrlab's views were not found\n");
        return false;
    }
    const long atStart = e2e::StatusField(child->pid(), "VmRSS");
    if (!e2e::LoadScreen(stage.desktop, window, *origin, screen)) {
        std::fprintf(stderr, "the screen did not load: %s\n", e2e::ReadWholeFile(stage.ErrorsPath()).c_str());
        return false;
    }
    for (Rate& rate : rates) {
        for (const Comparison& comparison : Comparisons) {
            auto plan = e2e::PlanMoves(comparison.pattern, options.moves + 1);
            Figures f;
            const long before = e2e::ProgramCounter(child->pid(), options.program, MovementCounter);
            auto run = WatchedRun(stage, child->pid(), window, *origin, plan, rate, f.scrlabRetitles);
            const long after = e2e::ProgramCounter(child->pid(), options.program, MovementCounter);
            // Less the movement that put the pointer on its first position, as for the minimal window.
            f.handled = before < 0 || after < 0 ? -1 : after - before - 1;
            if (!run) {
                std::fprintf(stderr, "scrlab did not settle after the movements at %s\n", rate.name);
                return false;
            }
            f.scrlab = *run;
            auto peer = RunMinimal(stage, comparison.peerMode, plan, rate, f);
            if (!peer) {
                std::fprintf(stderr, "the minimal window failed at %s: %s\n", rate.name,
                             e2e::ReadWholeFile(stage.ErrorsPath()).c_str());
                return false;
            }
            f.minimal = *peer;
            figures.push_back(f);
        }
    }
    const long peak = e2e::StatusField(child->pid(), "VmHWM");
    const long now = e2e::StatusField(child->pid(), "VmRSS");
    std::printf("resident memory: %.1f MiB at start, %.1f MiB after loading and %zu movements, peak %.1f MiB\n",
                atStart / 1024.0, now / 1024.0, figures.size() * options.moves, peak / 1024.0);
    Rate& fastest = rates.back();
    return options.profile.empty() || Profile(stage, options.profile, child->pid(), *origin,
                                              e2e::PlanMoves(MovePattern::NewCell, options.moves + 1), fastest);
}

void PrintFigures(const std::vector<Rate>& rates, const std::vector<Figures>& figures) {
    std::printf("\nprocessor time per pointer movement, ms: the threads' run time (utime + stime, in 10 ms ticks)\n"
                "and the X server's run time over the same run (xdotool's requests included)\n"
                "%-8s %-12s %-15s %-7s %-15s %-7s %-6s %-6s %-5s %-16s %-16s %s\n",
                "rate", "pattern", "scrlab", "X", "minimal", "X", "ratio", "target", "goal", "sent Hz (s / m)",
                "retitles (s / m)", "handled of sent (s / m)");
    std::size_t next = 0;
    for (const Rate& rate : rates) {
        for (const Comparison& comparison : Comparisons) {
            const Figures& f = figures[next++];
            const double ratio = f.minimal.cpuPerMove > 0 ? f.scrlab.cpuPerMove / f.minimal.cpuPerMove : 0;
            std::printf("%-8s %-12s %5.3f (%5.3f)  %5.3f   %5.3f (%5.3f)  %5.3f   %5.2f  %4.1f   %4.1f  %4.0f / %4.0f  "
                        "    %4ld / %4ld      "
                        "%4ld / %4ld of %d\n",
                        rate.name, comparison.name, f.scrlab.cpuPerMove, f.scrlab.ticksPerMove, f.scrlab.serverPerMove,
                        f.minimal.cpuPerMove, f.minimal.ticksPerMove, f.minimal.serverPerMove, ratio, comparison.target,
                        comparison.goal, f.scrlab.sentHz(), f.minimal.sentHz(), f.scrlabRetitles, f.minimalRetitles,
                        f.handled, f.received, f.minimal.movements);
        }
    }
    std::printf("minimal: \"floor\" for new cells (retitle, repaint two cells of both views), \"receive\" within a "
                "cell (nothing else)\nretitles: the title changes seen from outside; each movement into a new cell "
                "handled retitles once\nhandled: the movements that reached each program's views after the window "
                "system merged those that queued up\n");
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--moves" && i + 1 < argc)
            options.moves = std::max(10, std::atoi(argv[++i]));
        else if (arg == "--profile" && i + 1 < argc)
            options.profile = std::filesystem::absolute(argv[++i]);
        else
            options.program = std::filesystem::absolute(arg);  // it starts in a folder of its own
    }
    char pattern[] = "/tmp/scrlab-measure-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    int status = 1;
    {
        e2e::XServer server(std::string(pattern) + "/xvfb.log");
        if (!server.ready()) {
            std::fprintf(stderr, "%s\n", server.failure().c_str());
        } else {
            const Stage stage{e2e::Desktop(server.display()), server.pid(), pattern};
            std::vector<Figures> figures;
            std::printf("program: %s\n", options.program.c_str());
            std::vector<Rate> rates = CalibratedRates(stage.desktop);
            if (MeasureStarts(stage,
                              {{"scrlab", {options.program}, ScrlabTitle},
                               {"minimal window", MinimalWindow("receive"), MinimalTitle}},
                              options.runs) &&
                MeasurePointerRuns(stage, options, rates, figures)) {
                PrintFigures(rates, figures);
                status = 0;
            }
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return status;
}
