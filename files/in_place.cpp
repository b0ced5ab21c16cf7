#include "files/in_place.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "files/file_io.h"
#include "files/file_seams.h"

namespace files {
namespace {

constexpr int InPlaceFlags = O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// Nothing of the old content can be kept here, so a file size limit that
// would stop the write part way is found before the file is touched.
std::error_code WriteUnkept(const Destination& where, const std::uint8_t* bytes, std::size_t count) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && count > limit.rlim_cur)
        return SystemError(EFBIG);
    FileDescriptor file(::openat(where.folder.get(), where.leaf.c_str(), O_WRONLY | InPlaceFlags));
    if (!file.valid())
        return SystemError(errno);
    struct stat opened {};
    if (const std::error_code changed = CheckOpened(file.get(), where.found, opened))
        return changed;
    std::size_t written = 0;
    if (const std::error_code failed = WriteAllAt(file.get(), bytes, count, written))
        return written == 0 ? failed : FileFault::UnkeptWriteFailed;
    if (::ftruncate(file.get(), static_cast<off_t>(count)) != 0 || file.close())
        return FileFault::UnkeptWriteFailed;
    return {};
}

// Where the file system cannot refuse to replace (EINVAL), the random part of
// the name, just made unique in this folder, stands in for that promise.
bool RenameUnlessTaken(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    return errno == EINVAL && ::renameat(folder, from.c_str(), folder, to.c_str()) == 0;
}

// A synced hidden copy of the old bytes beside the file, or nothing where the
// folder takes no new file; `name` receives its name. The copy is written
// under a saving name and renamed once whole and synced, so that a ".kept-"
// file a kill leaves behind always holds all of the old bytes.
bool KeepCopy(const Destination& where, const struct stat& file, const std::vector<std::uint8_t>& old,
              std::string& name) {
    std::string saving;
    FileDescriptor copy = CreateHiddenBeside(where.folder.get(), where.leaf, SavingMark, 0600, saving);
    if (!copy.valid())
        return false;
    seams::Reached(seams::WritePoint::KeptCopyStarted);
    // Best effort: the owner of the file opened should be able to read the copy.
    [[maybe_unused]] const int owned = ::fchown(copy.get(), file.st_uid, file.st_gid);
    name = saving;
    name.replace(name.rfind(SavingMark), std::char_traits<char>::length(SavingMark), KeptMark);
    bool kept = !WriteAll(copy.get(), old.data(), old.size()) && ::fsync(copy.get()) == 0 && !copy.close();
    if (kept) {
        seams::Reached(seams::WritePoint::KeptCopyWritten);
        kept = RenameUnlessTaken(where.folder.get(), saving, name);
    }
    if (!kept) {
        ::unlinkat(where.folder.get(), saving.c_str(), 0);
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

}  // namespace

std::error_code OverwriteInPlace(const Destination& where, const std::uint8_t* bytes, std::size_t count) {
    FileDescriptor file(::openat(where.folder.get(), where.leaf.c_str(), O_RDWR | InPlaceFlags));
    if (!file.valid())
        return errno == EACCES ? WriteUnkept(where, bytes, count) : SystemError(errno);
    struct stat opened {};
    if (const std::error_code changed = CheckOpened(file.get(), where.found, opened))
        return changed;
    if (!S_ISREG(opened.st_mode))
        return SystemError(EINVAL);
    if (opened.st_size > InPlaceLimit)
        return FileFault::TooLargeForInPlace;
    std::vector<std::uint8_t> old(static_cast<std::size_t>(opened.st_size));
    if (const std::error_code unread = ReadAllAt(file.get(), old.data(), old.size()))
        return unread;
    std::string keptName;
    const bool kept = KeepCopy(where, opened, old, keptName);

    std::size_t written = 0;
    std::error_code failed = WriteAllAt(file.get(), bytes, count, written);
    if (!failed)
        seams::Reached(seams::WritePoint::InPlaceWritten);
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

}  // namespace files
