#include "scrtool/screen_io.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_services.h"
#include "files/retry_interrupted.h"
#include "files/screen_files.h"

namespace scrtool {
namespace {

std::string Cause(int error) { return std::strerror(error); }

std::string Refusal(const std::string& count, std::size_t size, const Expected& expected) {
    return std::string(expected.notIt) + " (" + count + " bytes, " + expected.it + " " + std::to_string(size) + ")";
}

// Reads standard input to its end, but no further than one byte past `size`:
// that byte is enough to refuse an input that is too long.
ReadResult ReadStandardInput(std::size_t size, const Expected& expected) {
    ReadResult result;
    result.bytes.resize(size + 1);
    std::size_t total = 0;
    while (total < result.bytes.size()) {
        const ssize_t got = files::RetryInterrupted(
            [&] { return ::read(STDIN_FILENO, result.bytes.data() + total, result.bytes.size() - total); });
        if (got < 0) {
            result.error = "cannot read: " + Cause(errno);
            return result;
        }
        if (got == 0)
            break;
        total += static_cast<std::size_t>(got);
    }
    if (total != size) {
        const std::string count = total > size ? "more than " + std::to_string(size) : std::to_string(total);
        result.error = Refusal(count, size, expected);
    }
    result.bytes.resize(std::min(total, size));
    return result;
}

// The cause of a failed write, or empty.
std::string WriteStandardOutput(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = files::RetryInterrupted([&] { return ::write(STDOUT_FILENO, next, left); });
        if (written < 0)
            return Cause(errno);
        if (written == 0)
            return Cause(EIO);
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return {};
}

} // namespace

ReadResult ReadExactly(const std::string& name, std::size_t size, const Expected& expected) {
    if (name == "-")
        return ReadStandardInput(size, expected);
    ReadResult result;
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) {
        result.error = "cannot read: " + Cause(errno);
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.error = "is a folder, not a file";
        return result;
    }
    // The same size test as the window's load, which refuses devices and pipes too.
    const std::int64_t found = files::FileSize(name);
    if (found < 0) {
        result.error = "not a regular file";
        return result;
    }
    if (found != static_cast<std::int64_t>(size)) {
        result.error = Refusal(std::to_string(found), size, expected);
        return result;
    }
    result.bytes.resize(size);
    if (const std::error_code failed = files::ReadFileStart(name, result.bytes.data(), size)) {
        result.error = "cannot read: " + failed.message();
        result.bytes.clear();
    }
    return result;
}

ScreenRead ReadScreen(const std::string& name) {
    ScreenRead read;
    ReadResult bytes = ReadExactly(name, files::ScreenFileSize, {"not a screen file", "a screen is"});
    if (!bytes.error.empty()) {
        read.error = bytes.error;
        return read;
    }
    std::copy(bytes.bytes.begin(), bytes.bytes.end(), read.screen.begin());
    return read;
}

std::string WriteOutput(const std::string& name, std::span<const std::uint8_t> bytes, Durability durability,
                        files::PendingFolderSyncs* folders) {
    if (name == "-") {
        const std::string failed = WriteStandardOutput(bytes);
        return failed.empty() ? failed : "cannot write: " + failed;
    }
    const std::error_code failed =
        durability == Durability::Atomic ? files::WriteFileUnsynced(name, bytes.data(), bytes.size())
        : folders                        ? files::WriteFileSafely(name, bytes.data(), bytes.size(), *folders)
                                         : files::WriteFileSafely(name, bytes.data(), bytes.size());
    return failed ? "cannot write: " + failed.message() : std::string();
}

bool InterruptPending() {
    sigset_t pending;
    sigemptyset(&pending);
    ::sigpending(&pending);
    return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1 ||
           sigismember(&pending, SIGHUP) == 1;
}

InterruptGuard::InterruptGuard() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &held, &saved_);
}

InterruptGuard::~InterruptGuard() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

} // namespace scrtool

namespace scrtool {

std::string InputName(const std::string& name) { return name == "-" ? "standard input" : name; }
std::string OutputName(const std::string& name) { return name == "-" ? "standard output" : name; }

} // namespace scrtool
