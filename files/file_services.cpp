#include "files/file_services.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {
namespace {

// As many links as the kernel follows before it gives up.
constexpr int MaxLinkHops = 40;
constexpr mode_t PermissionBits = 07777;
constexpr mode_t NewFileMode = 0666;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and tells whether everything held back reached the file.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a name finally stands for, following symbolic links one by one so
// that a link to a file not yet there still names where to create it. Nothing
// for a loop or a link that cannot be read: a new file must not replace it.
std::optional<std::string> FollowLinks(std::string path) {
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size())
            return std::nullopt;
        link.resize(static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return std::nullopt;
}

// Repeats a system call that a signal interrupted before it did anything.
template <typename SystemCall>
auto RetryInterrupted(SystemCall call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

// Moves count bytes with a read or write call that takes how far it has come
// and answers how many bytes it moved; `done` tells how far it got. Reaching
// the end of a file early counts as a failure.
template <typename Transfer>
bool TransferAll(std::size_t count, std::size_t& done, Transfer transfer) {
    done = 0;
    while (done < count) {
        const ssize_t moved = RetryInterrupted([&] { return transfer(done); });
        if (moved <= 0)
            return false;
        done += static_cast<std::size_t>(moved);
    }
    return true;
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    return TransferAll(count, done, [&](std::size_t at) { return ::write(fd, bytes + at, count - at); });
}

bool WriteInPlace(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
    // Non-blocking, so a pipe nobody reads fails at once instead of hanging.
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                               NewFileMode));
    if (!file.valid())
        return false;
    const bool written = WriteAll(file.get(), bytes, count);
    return file.close() && written;
}

// Writes from the file's start until all is written; `done` tells how far it came.
bool WriteAllAt(int fd, const std::uint8_t* bytes, std::size_t count, std::size_t& done) {
    return TransferAll(count, done, [&](std::size_t at) {
        return ::pwrite(fd, bytes + at, count - at, static_cast<off_t>(at));
    });
}

bool ReadAllAt(int fd, std::uint8_t* into, std::size_t count) {
    std::size_t done = 0;
    return TransferAll(count, done, [&](std::size_t at) {
        return ::pread(fd, into + at, count - at, static_cast<off_t>(at));
    });
}

// Writes a regular file in place without emptying it first, and cuts it to
// its new length only once the new content is all there. A write that fails
// part way (a full disk, a file size limit) puts the overwritten bytes back,
// so the file is never left shorter or half new. A file we may write but not
// read cannot be put back, and is written as before.
bool OverwriteInPlace(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
    constexpr int Flags = O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    bool created = false;
    FileDescriptor file(::open(path.c_str(), Flags));
    if (!file.valid() && errno == ENOENT) {
        file = FileDescriptor(::open(path.c_str(), Flags | O_CREAT | O_EXCL, NewFileMode));
        created = file.valid();
    }
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        if (file.valid() || errno == EACCES) {
            file.close();
            return WriteInPlace(path, bytes, count);
        }
        return false;
    }
    const auto oldSize = static_cast<std::size_t>(info.st_size);
    std::vector<std::uint8_t> old(std::min(oldSize, count));
    if (!ReadAllAt(file.get(), old.data(), old.size()))
        return false;
    std::size_t written = 0;
    const bool complete = WriteAllAt(file.get(), bytes, count, written) &&
                          (oldSize <= count || ::ftruncate(file.get(), static_cast<off_t>(count)) == 0) &&
                          ::fsync(file.get()) == 0;
    if (complete)
        return file.close();
    std::size_t restored = 0;
    WriteAllAt(file.get(), old.data(), std::min(written, old.size()), restored);
    if (oldSize < count)
        ::ftruncate(file.get(), static_cast<off_t>(oldSize));
    file.close();
    if (created)
        ::unlink(path.c_str());
    return false;
}

// Whether we may write the existing file: only then may a new one replace it.
bool MayWrite(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Where the folder takes no new file from us (or the name is too long for a
// temporary one) the file itself may still be writable. A full disk or a
// failing device is no reason to risk the old content.
bool FolderRefusesNewFiles(int error) {
    return error == EACCES || error == EPERM || error == ENAMETOOLONG;
}

mode_t NewFilePermissions() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return NewFileMode & ~mask;
}

// Best effort: once renamed, the new content is already the file's, and a
// folder that cannot be synced makes the save no less complete.
void SyncFolder(const std::string& folder) {
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid())
        ::fsync(directory.get());
}

std::function<void(const std::string&)> beforeRead;

} // namespace

void testing::SetBeforeReadHook(std::function<void(const std::string& name)> hook) {
    beforeRead = std::move(hook);
}

std::int64_t FileSize(const std::string& name) {
    struct stat info {};
    if (name.empty() || ::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool ReadFileStart(const std::string& name, std::uint8_t* into, std::size_t count) {
    if (beforeRead)
        beforeRead(name);
    // Non-blocking, so a name swapped for a pipe since its size was taken
    // cannot hang the program.
    FileDescriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return ReadAllAt(file.get(), into, count);
}

void PendingFolderSyncs::Add(const std::string& folder) {
    // Batches name few folders, most often one, so a short list is enough.
    if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
        folders_.push_back(folder);
}

void PendingFolderSyncs::SyncAll() {
    for (const std::string& folder : folders_)
        SyncFolder(folder);
    folders_.clear();
}

namespace {

// Replaces the file as WriteFileSafely describes; without `syncs` neither the
// new file nor its folder is synced, otherwise the folder is added to them.
bool ReplaceFile(const std::string& name, const std::uint8_t* bytes, std::size_t count, PendingFolderSyncs* syncs) {
    if (name.empty())
        return false;
    const std::optional<std::string> followed = FollowLinks(name);
    if (!followed)
        return false;
    const std::string& target = *followed;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Devices, pipes and the like cannot be replaced by a file of ours.
    if (exists && !S_ISREG(old.st_mode))
        return WriteInPlace(target, bytes, count);
    if (exists && !MayWrite(target))
        return false;

    // A second name for the same file would keep the old content if a new
    // file took this name's place.
    if (exists && old.st_nlink > 1)
        return OverwriteInPlace(target, bytes, count);

    const std::string folder = FolderOf(target);
    const std::size_t slash = target.rfind('/');
    const std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = folder + "/." + leaf + ".saving-XXXXXX";
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.valid())
        return FolderRefusesNewFiles(errno) && OverwriteInPlace(target, bytes, count);
    // The new file must take over owner, group and permissions exactly;
    // where that is not allowed, writing in place keeps them.
    struct stat fresh {};
    const bool sameOwner = !exists ||
                           (::fstat(file.get(), &fresh) == 0 && fresh.st_uid == old.st_uid &&
                            fresh.st_gid == old.st_gid) ||
                           ::fchown(file.get(), old.st_uid, old.st_gid) == 0;
    const mode_t permissions = exists ? old.st_mode & PermissionBits : NewFilePermissions();
    if (!sameOwner || ::fchmod(file.get(), permissions) != 0) {
        file.close();
        ::unlink(temporary.c_str());
        return OverwriteInPlace(target, bytes, count);
    }
    bool saved = WriteAll(file.get(), bytes, count) && (!syncs || ::fsync(file.get()) == 0);
    saved = file.close() && saved;
    saved = saved && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!saved) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (syncs)
        syncs->Add(folder);
    return true;
}

} // namespace

bool WriteFileSafely(const std::string& name, const std::uint8_t* bytes, std::size_t count) {
    PendingFolderSyncs now;
    return ReplaceFile(name, bytes, count, &now);
}

bool WriteFileSafely(const std::string& name, const std::uint8_t* bytes, std::size_t count,
                     PendingFolderSyncs& later) {
    return ReplaceFile(name, bytes, count, &later);
}

bool WriteFileUnsynced(const std::string& name, const std::uint8_t* bytes, std::size_t count) {
    return ReplaceFile(name, bytes, count, nullptr);
}

} // namespace files
