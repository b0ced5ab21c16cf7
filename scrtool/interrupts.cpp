#include "scrtool/interrupts.h"

#include <unistd.h>

namespace scrtool {
namespace {

constexpr int Interrupts[] = {SIGINT, SIGTERM, SIGHUP};

// The one thing a signal handler can reach: the run's pending folders, while
// an InterruptSyncs lives.
const files::PendingFolderSyncs* volatile pendingAtInterrupt = nullptr;

extern "C" void SyncAndEnd(int signal) {
    if (const files::PendingFolderSyncs* folders = pendingAtInterrupt)
        folders->SyncEach();
    // Ends the program by the same signal once the handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

sigset_t InterruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : Interrupts)
        sigaddset(&set, signal);
    return set;
}

}  // namespace

InterruptSyncs::InterruptSyncs(const files::PendingFolderSyncs& folders) {
    pendingAtInterrupt = &folders;
    struct sigaction action {};
    action.sa_handler = SyncAndEnd;
    // The others wait while one is handled: one sync is enough.
    action.sa_mask = InterruptSet();
    for (int i = 0; i < 3; ++i) {
        ::sigaction(Interrupts[i], nullptr, &saved_[i]);
        // A signal the caller ignores (nohup) stays ignored.
        if (saved_[i].sa_handler != SIG_IGN)
            ::sigaction(Interrupts[i], &action, nullptr);
    }
}

InterruptSyncs::~InterruptSyncs() {
    for (int i = 0; i < 3; ++i)
        ::sigaction(Interrupts[i], &saved_[i], nullptr);
    pendingAtInterrupt = nullptr;
}

InterruptGuard::InterruptGuard() {
    const sigset_t held = InterruptSet();
    ::sigprocmask(SIG_BLOCK, &held, &saved_);
}

InterruptGuard::~InterruptGuard() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace scrtool
