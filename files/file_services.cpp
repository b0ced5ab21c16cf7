#include "files/file_services.h"

#include "files/file_seams.h"
#include "files/retry_interrupted.h"

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
const std::error_code WriteTookNothing = SystemError(EIO);

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
    // Closes now and tells why not everything held back reached the file.
    std::error_code close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? std::error_code() : SystemError(errno);
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

// Moves count bytes with a read or write call that takes how far it has come
// and answers how many bytes it moved; `done` tells how far it got. A call
// that moves nothing fails with `atEnd`: a file that ends early when read, a
// device that takes nothing when written.
template <typename Transfer>
std::error_code TransferAll(std::size_t count, std::size_t& done, std::error_code atEnd, Transfer transfer) {
    done = 0;
    while (done < count) {
        const ssize_t moved = RetryInterrupted([&] { return transfer(done); });
        if (moved < 0)
            return SystemError(errno);
        if (moved == 0)
            return atEnd;
        done += static_cast<std::size_t>(moved);
    }
    return {};
}

std::error_code WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    return TransferAll(count, done, WriteTookNothing, [&](std::size_t at) { return ::write(fd, bytes + at, count - at); });
}

std::error_code WriteInPlace(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
    // Non-blocking, so a pipe nobody reads fails at once instead of hanging.
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                               NewFileMode));
    if (!file.valid())
        return SystemError(errno);
    const std::error_code written = WriteAll(file.get(), bytes, count);
    const std::error_code closed = file.close();
    return written ? written : closed;
}

// Writes from the file's start until all is written; `done` tells how far it came.
std::error_code WriteAllAt(int fd, const std::uint8_t* bytes, std::size_t count, std::size_t& done) {
    return TransferAll(count, done, WriteTookNothing, [&](std::size_t at) {
        return ::pwrite(fd, bytes + at, count - at, static_cast<off_t>(at));
    });
}

std::error_code ReadAllAt(int fd, std::uint8_t* into, std::size_t count) {
    std::size_t done = 0;
    return TransferAll(count, done, FileFault::ChangedWhileRead, [&](std::size_t at) {
        return ::pread(fd, into + at, count - at, static_cast<off_t>(at));
    });
}

// Writes a regular file in place without emptying it first, and cuts it to
// its new length only once the new content is all there. A write that fails
// part way (a full disk, a file size limit) puts the overwritten bytes back,
// so the file is never left shorter or half new. A file we may write but not
// read cannot be put back, and is written as before.
std::error_code OverwriteInPlace(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
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
        return SystemError(errno);
    }
    const auto oldSize = static_cast<std::size_t>(info.st_size);
    std::vector<std::uint8_t> old(std::min(oldSize, count));
    if (const std::error_code unread = ReadAllAt(file.get(), old.data(), old.size()))
        return unread;
    std::size_t written = 0;
    std::error_code failed = WriteAllAt(file.get(), bytes, count, written);
    if (!failed && oldSize > count && ::ftruncate(file.get(), static_cast<off_t>(count)) != 0)
        failed = SystemError(errno);
    if (!failed && ::fsync(file.get()) != 0)
        failed = SystemError(errno);
    if (!failed)
        return file.close();
    std::size_t restored = 0;
    WriteAllAt(file.get(), old.data(), std::min(written, old.size()), restored);
    if (oldSize < count)
        ::ftruncate(file.get(), static_cast<off_t>(oldSize));
    file.close();
    if (created)
        ::unlink(path.c_str());
    return failed;
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
    seams::FolderSynced(folder.c_str());
}

} // namespace

std::int64_t FileSize(const std::string& name) {
    struct stat info {};
    if (name.empty() || ::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

std::error_code ReadFileStart(const std::string& name, std::uint8_t* into, std::size_t count) {
    seams::BeforeRead(name);
    // Non-blocking, so a name swapped for a pipe since its size was taken
    // cannot hang the program.
    FileDescriptor file(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0)
        return SystemError(errno);
    if (!S_ISREG(info.st_mode))
        return FileFault::ChangedWhileRead;
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
std::error_code ReplaceFile(const std::string& name, const std::uint8_t* bytes, std::size_t count,
                            PendingFolderSyncs* syncs) {
    if (name.empty())
        return SystemError(ENOENT);
    const std::optional<std::string> followed = FollowLinks(name);
    if (!followed)
        return SystemError(ELOOP);
    const std::string& target = *followed;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Devices, pipes and the like cannot be replaced by a file of ours.
    if (exists && !S_ISREG(old.st_mode))
        return WriteInPlace(target, bytes, count);
    if (exists && !MayWrite(target))
        return SystemError(errno);

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
        return FolderRefusesNewFiles(errno) ? OverwriteInPlace(target, bytes, count) : SystemError(errno);
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
    std::error_code failed = WriteAll(file.get(), bytes, count);
    if (!failed && syncs && ::fsync(file.get()) != 0)
        failed = SystemError(errno);
    const std::error_code closed = file.close();
    failed = failed ? failed : closed;
    if (!failed && ::rename(temporary.c_str(), target.c_str()) != 0)
        failed = SystemError(errno);
    if (failed) {
        ::unlink(temporary.c_str());
        return failed;
    }
    if (syncs)
        syncs->Add(folder);
    return {};
}

} // namespace

std::error_code WriteFileSafely(const std::string& name, const std::uint8_t* bytes, std::size_t count) {
    PendingFolderSyncs now;
    return ReplaceFile(name, bytes, count, &now);
}

std::error_code WriteFileSafely(const std::string& name, const std::uint8_t* bytes, std::size_t count,
                                PendingFolderSyncs& later) {
    return ReplaceFile(name, bytes, count, &later);
}

std::error_code WriteFileUnsynced(const std::string& name, const std::uint8_t* bytes, std::size_t count) {
    return ReplaceFile(name, bytes, count, nullptr);
}

} // namespace files
