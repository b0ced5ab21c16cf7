#include "apptests/e2e/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {
namespace {

constexpr int ExecFailed = 127;
constexpr int KeptDescriptor = 3;  // where the child finds its one inherited descriptor

// In the child, between fork and exec: only async-signal-safe work and the
// environment edits, which touch nothing another thread could hold.
[[noreturn]] void BecomeChild(const std::vector<std::string>& argv, const Environment& environment, pid_t parent,
                              int output, int errors, int keep, const std::string& folder) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(ExecFailed);
    if (!folder.empty() && chdir(folder.c_str()) != 0)
        _exit(ExecFailed);
    int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, STDIN_FILENO);
    dup2(output >= 0 ? output : nothing, STDOUT_FILENO);
    dup2(errors >= 0 ? errors : nothing, STDERR_FILENO);
    if (keep >= 0) {
        if (keep == KeptDescriptor)
            fcntl(keep, F_SETFD, 0);
        else
            dup2(keep, KeptDescriptor);
        close_range(KeptDescriptor + 1, ~0U, 0);
    } else {
        close_range(KeptDescriptor, ~0U, 0);
    }
    for (const auto& [name, value] : environment) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(ExecFailed);
}

Ending EndingOf(int status) {
    Ending ending;
    ending.ended = true;
    if (WIFEXITED(status)) {
        ending.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        ending.signal = WTERMSIG(status);
        ending.coreDumped = WCOREDUMP(status);
    }
    return ending;
}

pid_t Spawn(const std::vector<std::string>& argv, const Environment& environment, int output, int errors, int keep,
            const std::string& folder = "") {
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0)
        BecomeChild(argv, environment, parent, output, errors, keep, folder);
    return pid;
}

void ReadAvailable(int& descriptor, std::string& into) {
    char buffer[65536];
    ssize_t count = read(descriptor, buffer, sizeof buffer);
    if (count > 0) {
        into.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
        close(descriptor);
        descriptor = -1;
    }
}

}  // namespace

Outcome RunToEnd(const std::vector<std::string>& argv, Milliseconds limit, const Environment& environment) {
    Outcome outcome;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return outcome;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return outcome;
    }
    pid_t pid = Spawn(argv, environment, out[1], err[1], -1);
    close(out[1]);
    close(err[1]);
    if (pid < 0) {
        close(out[0]);
        close(err[0]);
        return outcome;
    }
    const Clock::time_point deadline = Clock::now() + limit;
    int open[2] = {out[0], err[0]};
    bool late = false;
    while (open[0] >= 0 || open[1] >= 0) {
        auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            late = true;
            break;
        }
        pollfd watched[2];
        nfds_t count = 0;
        for (int descriptor : open)
            if (descriptor >= 0)
                watched[count++] = pollfd{descriptor, POLLIN, 0};
        if (poll(watched, count, static_cast<int>(left)) < 0 && errno != EINTR)
            break;
        for (nfds_t i = 0; i < count; ++i) {
            if (!watched[i].revents)
                continue;
            int& descriptor = watched[i].fd == open[0] ? open[0] : open[1];
            ReadAvailable(descriptor, descriptor == open[0] ? outcome.output : outcome.errors);
        }
    }
    for (int descriptor : open)
        if (descriptor >= 0)
            close(descriptor);
    if (late)
        kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.ending = EndingOf(status);
    outcome.ending.ended = !late;
    return outcome;
}

Child::Child(const std::vector<std::string>& argv, const Environment& environment, const std::string& outputPath,
             const std::string& errorPath, int keepDescriptor, const std::string& folder) {
    int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int errors = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = Spawn(argv, environment, output, errors, keepDescriptor, folder);
    if (output >= 0)
        close(output);
    if (errors >= 0)
        close(errors);
    if (pid_ < 0)
        ending_.ended = true;
}

Child::~Child() { Stop(); }

bool Child::Reap(bool block) {
    if (ending_.ended)
        return true;
    int status = 0;
    pid_t got = 0;
    do {
        got = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == pid_) {
        ending_ = EndingOf(status);
        return true;
    }
    if (got < 0) {  // not ours any more: nothing left to wait for
        ending_.ended = true;
        return true;
    }
    return false;
}

bool Child::WaitEnd(Milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (!Reap(false)) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(Milliseconds(10));
    }
    return true;
}

void Child::Stop() {
    if (Reap(false))
        return;
    kill(pid_, SIGTERM);
    if (WaitEnd(Milliseconds(3000)))
        return;
    kill(pid_, SIGKILL);
    Reap(true);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace e2e
