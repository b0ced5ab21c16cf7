#include "files/file_services.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_attributes.h"
#include "files/file_io.h"
#include "files/file_seams.h"
#include "files/in_place.h"
#include "files/link_rule.h"

namespace files {
namespace {

constexpr mode_t PermissionBits = 07777;
// What a new file asks for; the umask, or the folder's default ACL, takes
// away from it as for any program's new file.
constexpr mode_t NewFileMode = 0666;
// A file we write and replace: nobody else may look at it before it is whole.
constexpr mode_t PrivateMode = 0600;

// Where the folder takes no new file from us the file itself may still be
// writable. A full disk or a failing device is no reason to risk the old
// content.
bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM; }

// The descriptor a name such as /dev/stdout or /dev/fd/3 stands for, or -1.
// These are written through the descriptor itself: reopening them by name
// would start at the beginning of a file the shell opened for appending, and
// cannot be done at all for a pipe in some systems.
int DescriptorNamed(const std::string& name) {
    if (name == "/dev/stdout")
        return STDOUT_FILENO;
    if (name == "/dev/stderr")
        return STDERR_FILENO;
    for (const char* folder : {"/dev/fd/", "/proc/self/fd/"}) {
        const std::string prefix(folder);
        if (!name.starts_with(prefix) || name.size() == prefix.size() || name.size() > prefix.size() + 9)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::atoi(digits.c_str());
    }
    return -1;
}

// Devices and pipes take the bytes as they come, blocking until a reader
// takes them; there is nothing to replace.
std::error_code WriteStream(const Destination& where, const std::uint8_t* bytes, std::size_t count) {
    FileDescriptor stream(
        ::openat(where.folder.get(), where.leaf.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!stream.valid())
        return SystemError(errno);
    const std::error_code written = WriteAll(stream.get(), bytes, count);
    const std::error_code closed = stream.close();
    return written ? written : closed;
}

// Makes the new file the old one's twin in everything but content: owner,
// group, permission bits, ACLs and other extended attributes. False where
// that is not allowed; the file is then written in place instead.
bool TakeOver(int old, int fresh, const struct stat& was) {
    struct stat now {};
    if (::fstat(fresh, &now) != 0)
        return false;
    if ((now.st_uid != was.st_uid || now.st_gid != was.st_gid) && ::fchown(fresh, was.st_uid, was.st_gid) != 0)
        return false;
    if (::fchmod(fresh, was.st_mode & PermissionBits) != 0 || CopyAttributes(old, fresh))
        return false;
    return ::fstat(fresh, &now) == 0 && now.st_uid == was.st_uid && now.st_gid == was.st_gid &&
           (now.st_mode & PermissionBits) == (was.st_mode & PermissionBits);
}

// Replaces a regular file, or creates one, as WriteFileSafely describes;
// without `syncs` neither the new file nor its folder is synced, otherwise
// the folder is added to them.
std::error_code ReplaceRegular(const Destination& where, const std::uint8_t* bytes, std::size_t count,
                               PendingFolderSyncs* syncs) {
    const int folder = where.folder.get();
    const char* leaf = where.leaf.c_str();
    FileDescriptor old;
    if (where.exists) {
        if (::faccessat(folder, leaf, W_OK, AT_EACCESS) != 0)
            return SystemError(errno);
        // A second name for the same file would keep the old content if a
        // new file took this name's place.
        if (where.found.st_nlink > 1)
            return OverwriteInPlace(where, bytes, count);
        old = FileDescriptor(::openat(folder, leaf, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!old.valid())
            return OverwriteInPlace(where, bytes, count);
    }
    std::string temporary;
    FileDescriptor file =
        CreateHiddenBeside(folder, where.leaf, SavingMark, where.exists ? PrivateMode : NewFileMode, temporary);
    if (!file.valid()) {
        const int error = errno;
        return where.exists && FolderRefusesNewFiles(error) ? OverwriteInPlace(where, bytes, count)
                                                            : SystemError(error);
    }
    std::error_code failed = WriteAll(file.get(), bytes, count);
    // After the bytes: writing takes away set-id bits and file capabilities.
    if (!failed && where.exists && !TakeOver(old.get(), file.get(), where.found)) {
        file.close();
        ::unlinkat(folder, temporary.c_str(), 0);
        return OverwriteInPlace(where, bytes, count);
    }
    if (!failed && syncs && ::fsync(file.get()) != 0)
        failed = SystemError(errno);
    const std::error_code closed = file.close();
    failed = failed ? failed : closed;
    if (!failed && ::renameat(folder, temporary.c_str(), folder, leaf) != 0)
        failed = SystemError(errno);
    if (failed) {
        ::unlinkat(folder, temporary.c_str(), 0);
        return failed;
    }
    if (syncs)
        syncs->Add(where.folderName);
    return {};
}

std::error_code ReplaceFile(const std::string& name, const std::uint8_t* bytes, std::size_t count,
                            PendingFolderSyncs* syncs) {
    if (const int stream = DescriptorNamed(name); stream >= 0)
        return WriteAll(stream, bytes, count);
    Destination where;
    if (const std::error_code failed = FindDestination(name, where))
        return failed;
    if (where.exists && !S_ISREG(where.found.st_mode))
        return WriteStream(where, bytes, count);
    return ReplaceRegular(where, bytes, count, syncs);
}

}  // namespace

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

bool IsStream(const std::string& name) {
    struct stat info {};
    return DescriptorNamed(name) >= 0 || (::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode));
}

void PendingFolderSyncs::Add(const std::string& folder) {
    // Batches name few folders, most often one, so a short list is enough.
    if (std::find(folders_.begin(), folders_.end(), folder) == folders_.end())
        folders_.push_back(folder);
}

void PendingFolderSyncs::SyncEach() const noexcept {
    for (const std::string& folder : folders_)
        SyncFolder(folder.c_str());
}

void PendingFolderSyncs::SyncAll() {
    SyncEach();
    folders_.clear();
}

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

}  // namespace files
