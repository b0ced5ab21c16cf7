#pragma once
// Runs of the built program as another user, for the tests of how it writes:
// with redirections made first, by a shell when a case needs one, and
// watched until it provably waits for a pipe's reader.

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "files/files_test_support.h"
#include "scrtool/scrtool_test_support.h"

namespace scrtool::testing {

using files::testing::Runner;

// What invert makes of the screen, by the program itself.
Bytes Inverted(const Bytes& screen);

// The exit status or -(signal), and standard error.
struct Ran {
    int status;
    std::string err;
};

// A copy of the program that any user may run, removed at the end: the
// build folder may be out of nobody's reach.
class ProgramCopy {
public:
    ProgramCopy();
    const std::string& path() const { return path_; }

private:
    TempFolder folder_;
    std::string path_;
};

// Runs a copy of the program that any user may run, as the runner, with
// `prepare` run in the child first (redirections, limits). With a script,
// /bin/sh runs it with the program's name as $0 and the arguments as $1...
Ran RunPrepared(
    const Runner& runner, const std::vector<std::string>& arguments, const std::function<void()>& prepare = [] {},
    const std::string& script = "");

// Starts the program as the runner, without waiting.
pid_t StartAs(const Runner& runner, const std::vector<std::string>& arguments, const ProgramCopy& program);

// Whether the process is blocked opening a pipe that has no reader yet, by
// the kernel's own account of where it waits (its wait channel, else the
// call it sleeps in); waits up to ten seconds.
bool WaitsForAPipesReader(pid_t process);

// The raw wait status of the child, or its SIGKILL when it has not ended
// within ten seconds (with `ended` false).
int EndOf(pid_t child, bool& ended);

}  // namespace scrtool::testing
