#pragma once
// Child processes for the tests that drive the real program: run a tool to its
// end within a time limit, or keep a program running and stop it for sure.
// Every child is killed by the kernel if the test process dies first, so a
// crashed or timed-out test leaves no server or program behind.

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace e2e {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// Variables to set (with a value) or to remove (without) in a child's environment.
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

struct Ending {
    bool ended = false;   // false: still running at the deadline (then killed)
    int exitStatus = -1;  // when it exited
    int signal = 0;       // when a signal ended it
    bool coreDumped = false;
};

struct Outcome {
    Ending ending;
    std::string output;  // standard output
    std::string errors;  // standard error
    bool succeeded() const { return ending.ended && ending.signal == 0 && ending.exitStatus == 0; }
};

// Runs argv[0] (looked up on PATH) to its end, or kills it at the limit.
Outcome RunToEnd(const std::vector<std::string>& argv, Milliseconds limit, const Environment& environment = {});

// A program left running; its output goes to files. Destroying it stops it.
class Child {
public:
    // keepDescriptor: one inherited descriptor the child may write to (or -1);
    // it finds it as descriptor 3. folder: where it starts (empty: here).
    Child(const std::vector<std::string>& argv, const Environment& environment, const std::string& outputPath,
          const std::string& errorPath, int keepDescriptor = -1, const std::string& folder = "");
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // Whether it has ended by the limit; the ending is then known.
    bool WaitEnd(Milliseconds limit);
    const Ending& ending() const { return ending_; }
    // Ends it now: a polite request first, then a kill. Safe to call twice.
    void Stop();

private:
    bool Reap(bool block);

    pid_t pid_ = -1;
    Ending ending_;
};

// The contents of a file, empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace e2e
