#include "apptests/e2e/pointer_runs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <unistd.h>

#include "apptests/e2e/process.h"
#include "app/main_window_layout.h"
#include "render/views.h"

namespace e2e {
namespace {

using app::layout::ColourViewLeft;
using app::layout::ViewTop;
using render::ViewHeight;
using render::ViewWidth;
constexpr int CellPixels = render::CellSpan;
constexpr int CellsAcross = screen::CellColumns;
constexpr int CellsDown = screen::CellRows;
constexpr Milliseconds IdleLook(100);
constexpr Milliseconds IdleLimit(20000);
constexpr Milliseconds ViewsLimit(30000);
constexpr double IdleWork = 0.5;  // milliseconds of processor time per look

WindowPoint CellPoint(int view, int column, int row, int dx, int dy) {
    return {view * ColourViewLeft + column * CellPixels + dx, row * CellPixels + dy};
}

// Idle: next to no processor time used between two looks, so a process still
// working through queued movements shows.
bool WaitIdle(pid_t pid) {
    const Clock::time_point deadline = Clock::now() + IdleLimit;
    double before = ThreadsRunMilliseconds(pid);
    while (Clock::now() < deadline) {
        std::this_thread::sleep_for(IdleLook);
        const double now = ThreadsRunMilliseconds(pid);
        if (now < 0)
            return false;
        if (now - before < IdleWork)
            return true;
        before = now;
    }
    return false;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

// All but the plan's first position, from a few xdotools in turn, each sending
// a batch in one command line: a process per movement would cost more than
// the movement and cap the rate. The machine's load changes how long the
// pauses really last, so each batch corrects the pause by how far the last one
// missed the interval. Answers how long it all took.
std::optional<double> SendMoves(const Desktop& desktop, WindowPoint origin, const std::vector<WindowPoint>& plan,
                                double intervalSeconds, double& pauseSeconds) {
    constexpr std::size_t Batch = 50;
    const Clock::time_point started = Clock::now();
    for (std::size_t first = 1; first < plan.size(); first += Batch) {
        const std::size_t end = std::min(plan.size(), first + Batch);
        std::vector<std::string> argv{"xdotool"};
        const std::string pause = Number(pauseSeconds);
        for (std::size_t i = first; i < end; ++i) {
            if (i > 1)
                argv.insert(argv.end(), {"sleep", pause});
            argv.insert(argv.end(),
                        {"mousemove", std::to_string(origin.x + plan[i].x), std::to_string(origin.y + plan[i].y)});
        }
        const Clock::time_point batchStarted = Clock::now();
        if (!desktop.Tool(argv).succeeded())
            return std::nullopt;
        const double period = std::chrono::duration<double>(Clock::now() - batchStarted).count() / (end - first);
        pauseSeconds = std::max(0.0, pauseSeconds + (intervalSeconds - period));
    }
    return std::chrono::duration<double>(Clock::now() - started).count();
}

}  // namespace

std::vector<WindowPoint> PlanMoves(MovePattern pattern, int count) {
    std::vector<WindowPoint> plan;
    for (int i = 0; i < count; ++i) {
        if (pattern == MovePattern::NewCell) {
            // Along each row of cells, the rows taken by turns from the two views.
            const int line = i / CellsAcross;
            plan.push_back(CellPoint(line % 2, i % CellsAcross, line % CellsDown, CellPixels / 2, CellPixels / 2));
        } else {
            // Back and forth over the inner pixels of one cell, its edges untouched.
            constexpr int Span = CellPixels - 3;
            const int step = i % (2 * Span);
            const int dx = 1 + (step <= Span ? step : 2 * Span - step);
            plan.push_back(CellPoint(0, 5, 3, dx, CellPixels / 2));
        }
    }
    return plan;
}

double ProcessCpuMilliseconds(pid_t pid) {
    const std::string stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
    // The name in parentheses may hold spaces; the fields after it do not.
    std::size_t at = stat.rfind(')');
    if (at == std::string::npos)
        return -1;
    const char* field = stat.c_str() + at + 1;
    unsigned long long utime = 0;
    unsigned long long stime = 0;
    // State, then fields 4-13, then utime (14) and stime (15).
    if (std::sscanf(field, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
        return -1;
    return (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ThreadsRunMilliseconds(pid_t pid) {
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code failed;
    double total = 0;
    bool any = false;
    for (const auto& task : std::filesystem::directory_iterator(tasks, failed)) {
        // "run time on the processor, ns" "waiting time, ns" "time slices"
        const std::string stat = ReadWholeFile(task.path() / "schedstat");
        unsigned long long ran = 0;
        if (std::sscanf(stat.c_str(), "%llu", &ran) == 1) {
            total += ran / 1e6;
            any = true;
        }
    }
    return any && !failed ? total : -1;
}

double CalibratedPause(const Desktop& desktop, double intervalSeconds) {
    constexpr int Movements = 200;
    std::vector<WindowPoint> plan;
    for (int i = 0; i <= Movements; ++i)
        plan.push_back({1 + i % 100, 1 + i % 50});
    desktop.MovePointer(plan.front().x, plan.front().y);
    double pause = intervalSeconds;
    SendMoves(desktop, {0, 0}, plan, intervalSeconds, pause);
    return pause;
}

std::optional<PointerRun> RunMoves(const Desktop& desktop, pid_t pid, pid_t server, WindowPoint origin,
                                   const std::vector<WindowPoint>& plan, double intervalSeconds, double& pauseSeconds) {
    if (plan.size() < 2)
        return std::nullopt;
    desktop.MovePointer(origin.x + plan.front().x, origin.y + plan.front().y);
    if (!WaitIdle(pid))
        return std::nullopt;
    const double before = ThreadsRunMilliseconds(pid);
    const double ticksBefore = ProcessCpuMilliseconds(pid);
    const double serverBefore = ThreadsRunMilliseconds(server);
    const std::optional<double> seconds = SendMoves(desktop, origin, plan, intervalSeconds, pauseSeconds);
    if (!seconds || !WaitIdle(pid))
        return std::nullopt;
    PointerRun run;
    run.seconds = *seconds;
    run.movements = static_cast<int>(plan.size()) - 1;
    run.cpuPerMove = (ThreadsRunMilliseconds(pid) - before) / run.movements;
    run.ticksPerMove = (ProcessCpuMilliseconds(pid) - ticksBefore) / run.movements;
    run.serverPerMove = (ThreadsRunMilliseconds(server) - serverBefore) / run.movements;
    return run;
}

std::optional<WindowPoint> ViewsOrigin(const Desktop& desktop, const std::string& window, ViewWindows views) {
    if (views == ViewWindows::Painted) {
        const Outcome outcome = desktop.Tool({"xdotool", "getwindowgeometry", "--shell", window});
        const std::string& text = outcome.output;
        const std::size_t x = text.find("X=");
        const std::size_t y = text.find("Y=");
        if (!outcome.succeeded() || x == std::string::npos || y == std::string::npos)
            return std::nullopt;
        return WindowPoint{std::atoi(text.c_str() + x + 2), std::atoi(text.c_str() + y + 2) + ViewTop};
    }
    const Clock::time_point deadline = Clock::now() + ViewsLimit;
    while (Clock::now() < deadline) {
        std::optional<WindowPoint> found;
        for (const XWindow& child : desktop.Windows(window, true))
            if (child.width == ViewWidth && child.height == ViewHeight && (!found || child.x < found->x))
                found = WindowPoint{child.x, child.y};
        if (found)
            return found;
    }
    return std::nullopt;
}

}  // namespace e2e
