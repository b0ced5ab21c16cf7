#include "files/file_io.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/random.h>
#include <unistd.h>

#include "files/file_seams.h"
#include "files/retry_interrupted.h"

namespace files {
namespace {

// Moves count bytes with a read or write call that takes how far it has come
// and answers how many bytes it moved; `done` tells how far it got. A call
// that moves nothing fails with `atEnd`: a file that ends early when read, a
// device that takes nothing when written. A descriptor that would block is
// waited for.
template <typename Transfer>
std::error_code TransferAll(int fd, short direction, std::size_t count, std::size_t& done, std::error_code atEnd,
                            Transfer transfer) {
    done = 0;
    while (done < count) {
        const ssize_t moved = RetryInterrupted([&] { return transfer(done); });
        if (moved < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{fd, direction, 0};
            if (RetryInterrupted([&] { return ::poll(&ready, 1, -1); }) < 0)
                return SystemError(errno);
            continue;
        }
        if (moved < 0)
            return SystemError(errno);
        if (moved == 0)
            return atEnd;
        done += static_cast<std::size_t>(moved);
    }
    return {};
}

const std::error_code WriteTookNothing = SystemError(EIO);

}  // namespace

std::error_code WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    return TransferAll(fd, POLLOUT, count, done, WriteTookNothing,
                       [&](std::size_t at) { return ::write(fd, bytes + at, count - at); });
}

std::error_code WriteAllAt(int fd, const std::uint8_t* bytes, std::size_t count, std::size_t& done) {
    return TransferAll(fd, POLLOUT, count, done, WriteTookNothing,
                       [&](std::size_t at) { return ::pwrite(fd, bytes + at, count - at, static_cast<off_t>(at)); });
}

std::error_code ReadAllAt(int fd, std::uint8_t* into, std::size_t count) {
    std::size_t done = 0;
    return TransferAll(fd, POLLIN, count, done, FileFault::ChangedWhileRead,
                       [&](std::size_t at) { return ::pread(fd, into + at, count - at, static_cast<off_t>(at)); });
}

std::error_code ReadSome(int fd, std::uint8_t* into, std::size_t count, std::size_t& got) {
    got = 0;
    const ssize_t read = RetryInterrupted([&] { return ::read(fd, into, count); });
    if (read < 0)
        return SystemError(errno);
    got = static_cast<std::size_t>(read);
    return {};
}

std::error_code StatusOf(const std::string& name, struct stat& info) {
    return ::stat(name.c_str(), &info) == 0 ? std::error_code() : SystemError(errno);
}

std::error_code CheckOpened(int fd, const struct stat& walked, struct stat& opened) {
    if (::fstat(fd, &opened) != 0)
        return SystemError(errno);
    const bool same =
        opened.st_dev == walked.st_dev && opened.st_ino == walked.st_ino && opened.st_uid == walked.st_uid;
    return same ? std::error_code() : FileFault::ChangedWhileOpened;
}

FileDescriptor CreateHiddenBeside(int folder, const std::string& leaf, const char* mark, mode_t mode,
                                  std::string& name) {
    constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr std::size_t RandomLetters = 6;
    const std::size_t room = NAME_MAX - 1 - std::char_traits<char>::length(mark) - RandomLetters;
    const std::string stem = "." + leaf.substr(0, room) + mark;
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[RandomLetters];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            return FileDescriptor();
        name = stem;
        for (const unsigned char byte : random)
            name += Letters[byte % (sizeof Letters - 1)];
        FileDescriptor file(
            ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode));
        if (file.valid() || errno != EEXIST)
            return file;
    }
    return FileDescriptor();
}

void SyncFolder(const char* folder) noexcept {
    const int directory = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return;
    ::fsync(directory);
    ::close(directory);
    seams::FolderSynced(folder);
}

}  // namespace files
