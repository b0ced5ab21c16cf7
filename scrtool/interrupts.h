#pragma once
// How SIGINT, SIGTERM and SIGHUP end a run: a file being replaced is finished
// first, and the folders of the files written so far are synced before the
// program ends by the signal, as it would have without us.

#include <signal.h>

#include "files/file_services.h"

namespace scrtool {

// While alive, the three signals end the program through a handler that
// first syncs the folders pending in `folders`. One at a time; the folders
// must outlive it, and are changed only under an InterruptGuard.
class InterruptSyncs {
public:
    explicit InterruptSyncs(const files::PendingFolderSyncs& folders);
    ~InterruptSyncs();
    InterruptSyncs(const InterruptSyncs&) = delete;
    InterruptSyncs& operator=(const InterruptSyncs&) = delete;

private:
    struct sigaction saved_[3]{};
};

// Holds back SIGINT, SIGTERM and SIGHUP while alive, so that a file being
// replaced is finished before the program stops; a signal that came meanwhile
// takes effect when the guard ends. Only around replacements: never around a
// write to a pipe or terminal, which can wait for ever.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    sigset_t saved_{};
};

}  // namespace scrtool
