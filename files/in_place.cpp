#include "files/in_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "files/file_io.h"
#include "files/file_seams.h"

namespace files {
namespace {

constexpr int InPlaceFlags = O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

std::error_code WriteUnkept(const Destination& where, const std::uint8_t* bytes, std::size_t count) {
    FileDescriptor file(::openat(where.folder.get(), where.leaf.c_str(), O_WRONLY | O_TRUNC | InPlaceFlags));
    if (!file.valid())
        return SystemError(errno);
    const std::error_code written = WriteAll(file.get(), bytes, count);
    const std::error_code closed = file.close();
    return written ? written : closed;
}

// A synced hidden copy of the old bytes beside the file, or nothing where the
// folder takes no new file; `name` receives its name.
bool KeepCopy(const Destination& where, const std::vector<std::uint8_t>& old, std::string& name) {
    FileDescriptor copy = CreateHiddenBeside(where.folder.get(), where.leaf, KeptMark, 0600, name);
    if (!copy.valid())
        return false;
    // Best effort: the file's owner should be able to read the copy.
    [[maybe_unused]] const int owned = ::fchown(copy.get(), where.found.st_uid, where.found.st_gid);
    const bool kept = !WriteAll(copy.get(), old.data(), old.size()) && ::fsync(copy.get()) == 0 && !copy.close();
    if (!kept) {
        ::unlinkat(where.folder.get(), name.c_str(), 0);
        return false;
    }
    const FileDescriptor folder(::openat(where.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return true;
}

// Puts the first `overwritten` old bytes back, the old length too, and reads
// the whole file back to check it.
bool Restore(int fd, const std::vector<std::uint8_t>& old, std::size_t overwritten) {
    seams::BeforeRestore();
    std::size_t done = 0;
    if (WriteAllAt(fd, old.data(), std::min(overwritten, old.size()), done) ||
        ::ftruncate(fd, static_cast<off_t>(old.size())) != 0 || ::fsync(fd) != 0)
        return false;
    std::vector<std::uint8_t> now(old.size() + 1);
    const std::error_code shorter = ReadAllAt(fd, now.data(), now.size());
    now.pop_back();
    return shorter == FileFault::ChangedWhileRead && now == old;
}

} // namespace

std::error_code OverwriteInPlace(const Destination& where, const std::uint8_t* bytes, std::size_t count) {
    FileDescriptor file(::openat(where.folder.get(), where.leaf.c_str(), O_RDWR | InPlaceFlags));
    if (!file.valid())
        return errno == EACCES ? WriteUnkept(where, bytes, count) : SystemError(errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return SystemError(errno);
    if (!S_ISREG(info.st_mode))
        return SystemError(EINVAL);
    std::vector<std::uint8_t> old(static_cast<std::size_t>(info.st_size));
    if (const std::error_code unread = ReadAllAt(file.get(), old.data(), old.size()))
        return unread;
    std::string keptName;
    const bool kept = KeepCopy(where, old, keptName);

    std::size_t written = 0;
    std::error_code failed = WriteAllAt(file.get(), bytes, count, written);
    if (!failed && old.size() > count && ::ftruncate(file.get(), static_cast<off_t>(count)) != 0)
        failed = SystemError(errno);
    if (!failed && ::fsync(file.get()) != 0)
        failed = SystemError(errno);
    if (!failed)
        failed = file.close();
    else if (!Restore(file.get(), old, written))
        return FileFault::RestoreFailed;  // the kept copy stays
    if (kept)
        ::unlinkat(where.folder.get(), keptName.c_str(), 0);
    return failed;
}

} // namespace files
