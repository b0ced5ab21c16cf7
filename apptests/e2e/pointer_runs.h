#pragma once
// Pointer movements sent by xdotool to a running program at a steady rate, and
// the processor time the program spends on them, read from outside it.

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "apptests/e2e/desktop.h"

namespace e2e {

// Where the movements go, over the two 512 x 384 views of 16 x 16 cells.
enum class MovePattern {
    NewCell,     // every movement enters another cell
    WithinCell,  // 1-pixel steps that never leave one cell
};

struct WindowPoint {
    int x = 0;  // from the mono view's top left corner; the colour view is app::layout::ColourViewLeft to its right
    int y = 0;
};

// `count` positions in the pattern; the first is where the pointer waits
// before the run, so the run itself makes `count - 1` movements.
std::vector<WindowPoint> PlanMoves(MovePattern pattern, int count);

// Processor time the process has used so far, user and system, all threads,
// in milliseconds; -1 when it cannot be read. From utime and stime, which
// count in whole clock ticks (10 ms).
double ProcessCpuMilliseconds(pid_t pid);
// The same to the nanosecond, summed over the threads' scheduler statistics:
// a few hundred cheap movements are only a few ticks.
double ThreadsRunMilliseconds(pid_t pid);

struct PointerRun {
    int movements = 0;
    double seconds = 0;        // how long xdotool took to send them
    double cpuPerMove = 0;     // milliseconds of the program's time per movement, from the threads' run time
    double ticksPerMove = 0;   // the same from utime + stime
    double serverPerMove = 0;  // the X server's run time per movement: xdotool's and the program's requests
    double sentHz() const { return seconds > 0 ? movements / seconds : 0; }
};

// The pause between xdotool's movements that makes it send one every
// `intervalSeconds` over an empty screen, a first guess for RunMoves: its own
// work and the sleep's overshoot make the period longer than the pause. Nothing
// of ours may be under the pointer's path (the screen's top left corner).
double CalibratedPause(const Desktop& desktop, double intervalSeconds);

// Puts the pointer on the plan's first position, waits for the program to be
// idle, sends the rest one every `intervalSeconds`, waits for the program to
// be idle again and charges it the time it used meanwhile. `pauseSeconds`:
// what xdotool sleeps between movements, corrected as the run goes and left
// for the next run. `server`: the X server's process, whose time is reported
// beside.
std::optional<PointerRun> RunMoves(const Desktop& desktop, pid_t pid, pid_t server, WindowPoint origin,
                                   const std::vector<WindowPoint>& plan, double intervalSeconds, double& pauseSeconds);

// How a program makes its views: scrlab's are windows of their own below its
// menu bar, the minimal window's are painted 20 pixels below its top.
enum class ViewWindows { Native, Painted };

// Where a window's mono view's top left corner is on the screen. Native views
// are looked for until they appear: the top-level window is mapped first.
std::optional<WindowPoint> ViewsOrigin(const Desktop& desktop, const std::string& window, ViewWindows views);

}  // namespace e2e
