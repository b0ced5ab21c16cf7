#pragma once
// System calls that a signal may interrupt before they do anything.

#include <cerrno>

namespace files {

// Repeats the call while it fails with EINTR; answers its last result, with
// errno as the call left it.
template <typename SystemCall>
auto RetryInterrupted(SystemCall call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

}  // namespace files
