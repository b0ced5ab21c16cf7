#pragma once
// The programs the measurement starts in its private X server, and what it
// does to them as a user would.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "apptests/e2e/desktop.h"
#include "apptests/e2e/pointer_runs.h"
#include "apptests/e2e/process.h"

namespace e2e {

// Where the programs run: the display, the X server's process (its time is
// spent on the programs' behalf) and a scratch folder they start in.
struct Stage {
    Desktop desktop;
    pid_t server = -1;
    std::string folder;

    std::string OutputPath() const { return folder + "/program.out"; }
    std::string ErrorsPath() const { return folder + "/program.err"; }
};

// Starts a Qt program on the stage; its output goes to the stage's files.
std::unique_ptr<Child> StartOnStage(const Stage& stage, const std::vector<std::string>& argv);

// The first mapped window whose whole name matches, polled for up to 30 s;
// empty when none appeared.
std::string WaitVisible(const Desktop& desktop, const std::string& pattern);

// "VmHWM", "VmRSS" and the like from /proc/PID/status, in kB; -1 when absent.
long StatusField(pid_t pid, const std::string& field);

// Counts a window's changes of title from outside, with `xprop -spy`: when
// every movement into a new cell retitles, the count says how many movements a
// program really handled when they came faster than it could take them.
class TitleWatch {
public:
    TitleWatch(const Stage& stage, const std::string& window);
    bool ready() const { return ready_; }
    // Stops watching; -1 when the watch never started.
    long StopAndCount();

private:
    std::string path_;
    std::unique_ptr<Child> spy_;
    bool ready_ = false;
};

// Whether a file has something in it within 30 s: tools that write a header
// or a first line once they are attached.
bool WaitFileWritten(const std::string& path);

// A count the running program keeps in memory under an unmangled symbol of
// its executable, read from outside (/proc/PID/mem at the address nm gives,
// moved to where the executable is loaded); -1 when it cannot be read.
long ProgramCounter(pid_t pid, const std::string& executable, const std::string& symbol);

// Loads `screen` into scrlab through its open requester, and answers once the
// title shows it.
bool LoadScreen(const Desktop& desktop, const std::string& window, WindowPoint origin, const std::string& screen);

}  // namespace e2e
