#include "extract/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace extract {
namespace {

constexpr int ParentGone = 3;

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += static_cast<std::size_t>(written);
    }
    return true;
}

// Everything the child writes until it closes the pipe, within the limits.
ChildEnd ReadAll(int fd, const ChildLimits& limits, std::vector<std::uint8_t>& bytes) {
    const auto deadline = std::chrono::steady_clock::now() + limits.time;
    std::uint8_t chunk[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return ChildEnd::TooLong;
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return ChildEnd::TooLong;
        if (ready < 0)
            return ChildEnd::Failed;
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ChildEnd::Failed;
        if (got == 0)
            return ChildEnd::Answered;
        if (bytes.size() + static_cast<std::size_t>(got) > limits.reply)
            return ChildEnd::TooLarge;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

void Limit(int resource, rlim_t soft, rlim_t hard) {
    const rlimit limit{soft, hard};
    ::setrlimit(resource, &limit);
}

// In the child, before the work: it ends with its parent, under its limits,
// with the signals the parent handles or holds back set as they are by default.
void BecomeBoundedChild(pid_t parent, const ChildLimits& limits) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have ended before the line above: then this process
    // already belongs to another and no signal will come.
    if (::getppid() != parent)
        ::_exit(ParentGone);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN)
            ::signal(signal, SIG_DFL);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const auto seconds = static_cast<rlim_t>(limits.processor.count());
    Limit(RLIMIT_CPU, seconds, seconds + 1);  // SIGXCPU at the first, SIGKILL a second later
    if (MemoryLimited)
        Limit(RLIMIT_AS, limits.memory, limits.memory);
    Limit(RLIMIT_CORE, 0, 0);
}

ChildEnd HowItEnded(ChildEnd read, int status) {
    if (read != ChildEnd::Answered)
        return read;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)
        return ChildEnd::TooLong;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildEnd::Answered : ChildEnd::Failed;
}

}  // namespace

ChildOutcome RunInChild(const std::function<std::vector<std::uint8_t>()>& work, const ChildLimits& limits) {
    ChildOutcome outcome;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return outcome;
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return outcome;
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        BecomeBoundedChild(parent, limits);
        ::_exit(WriteAll(pipeEnds[1], work()) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    const ChildEnd read = ReadAll(pipeEnds[0], limits, outcome.reply);
    ::close(pipeEnds[0]);
    if (read != ChildEnd::Answered)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::wait4(child, &status, 0, &outcome.usage) < 0 && errno == EINTR) {
    }
    outcome.end = HowItEnded(read, status);
    if (outcome.end != ChildEnd::Answered)
        outcome.reply.clear();
    return outcome;
}

}  // namespace extract
