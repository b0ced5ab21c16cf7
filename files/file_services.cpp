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

// Sticky, and others or the group may write: other users can plant entries
// there but not remove ours (as in /tmp).
bool IsSharedSticky(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) && (folder.st_mode & (S_IWGRP | S_IWOTH));
}

bool InSharedFolder(const Destination& where) {
    struct stat folder {};
    return ::fstat(where.folder.get(), &folder) == 0 && IsSharedSticky(folder);
}

// The kernel's rule for shared folders with fs.protected_regular and
// fs.protected_fifos at 2, whatever they are set to: a file or pipe there
// that belongs to neither us nor the folder's owner was planted by someone
// else, who would get or keep hold of what we write.
std::error_code SharedFolderRule(const Destination& where) {
    if (!where.exists || (!S_ISREG(where.found.st_mode) && !S_ISFIFO(where.found.st_mode)))
        return {};
    struct stat folder {};
    if (::fstat(where.folder.get(), &folder) != 0)
        return SystemError(errno);
    const uid_t owner = where.found.st_uid;
    if (!IsSharedSticky(folder) || owner == ::geteuid() || owner == folder.st_uid)
        return {};
    return FileFault::OthersFileInSharedFolder;
}

// Whether the folder is this process's own descriptor folder, however reached.
bool IsOwnDescriptorFolder(int folder) {
    struct stat here {};
    if (::fstat(folder, &here) != 0)
        return false;
    struct stat own {};
    for (const char* name : {"/proc/self/fd", "/proc/thread-self/fd"})
        if (::stat(name, &own) == 0 && own.st_dev == here.st_dev && own.st_ino == here.st_ino)
            return true;
    return false;
}

// Standard output, error or input when it is open for writing on the very
// file, pipe or terminal found, or -1. Written through the descriptor, the
// bytes go where the shell put them: reopening the file would start at its
// beginning where the shell opened it for appending, and cannot be done at
// all for a pipe on some systems.
int StandardDescriptorOn(const struct stat& found) {
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO, STDIN_FILENO}) {
        const int flags = ::fcntl(fd, F_GETFL);
        struct stat info {};
        if (flags >= 0 && (flags & O_ACCMODE) != O_RDONLY && ::fstat(fd, &info) == 0 && info.st_dev == found.st_dev &&
            info.st_ino == found.st_ino)
            return fd;
    }
    return -1;
}

// Devices and pipes take the bytes as they come, blocking until a reader
// takes them; there is nothing to replace. Another process's descriptor is
// opened through its /proc link, which reaches the very file or pipe even
// when it has no name any more; a regular file is written at its end, since
// at its start the bytes would write over what is there.
std::error_code WriteStream(const Destination& where, const std::uint8_t* bytes, std::size_t count) {
    int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    if (!where.descriptor)
        flags |= O_NOFOLLOW;
    else if (S_ISREG(where.found.st_mode))
        flags |= O_APPEND;
    FileDescriptor stream(::openat(where.folder.get(), where.leaf.c_str(), flags));
    if (!stream.valid())
        return SystemError(errno);
    struct stat opened {};
    if (const std::error_code changed = CheckOpened(stream.get(), where.found, opened))
        return changed;
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
    const bool shared = InSharedFolder(where);
    const auto inPlace = [&]() -> std::error_code {
        return shared ? std::error_code(FileFault::InPlaceInSharedFolder) : OverwriteInPlace(where, bytes, count);
    };
    FileDescriptor old;
    struct stat opened {};
    if (where.exists) {
        if (::faccessat(folder, leaf, W_OK, AT_EACCESS) != 0)
            return SystemError(errno);
        // A second name for the same file would keep the old content if a
        // new file took this name's place. In a shared folder the other name
        // can be anyone's file, linked there to be written through.
        if (where.found.st_nlink > 1 && !shared)
            return OverwriteInPlace(where, bytes, count);
        old = FileDescriptor(::openat(folder, leaf, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!old.valid())
            return inPlace();
        if (const std::error_code changed = CheckOpened(old.get(), where.found, opened))
            return changed;
    }
    std::string temporary;
    FileDescriptor file =
        CreateHiddenBeside(folder, where.leaf, SavingMark, where.exists ? PrivateMode : NewFileMode, temporary);
    if (!file.valid()) {
        const int error = errno;
        return where.exists && FolderRefusesNewFiles(error) ? inPlace() : SystemError(error);
    }
    std::error_code failed = WriteAll(file.get(), bytes, count);
    // After the bytes: writing takes away set-id bits and file capabilities.
    if (!failed && where.exists && !TakeOver(old.get(), file.get(), opened)) {
        file.close();
        ::unlinkat(folder, temporary.c_str(), 0);
        return inPlace();
    }
    if (!failed && syncs && ::fsync(file.get()) != 0)
        failed = SystemError(errno);
    const std::error_code closed = file.close();
    failed = failed ? failed : closed;
    if (!failed)
        seams::Reached(seams::WritePoint::NewFileWritten);
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
    Output output;
    if (const std::error_code failed = FindOutput(name, output))
        return failed;
    return WriteToOutput(output, bytes, count, syncs);
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

bool Output::IsStream() const {
    return descriptor >= 0 || where.descriptor || (where.exists && !S_ISREG(where.found.st_mode));
}

std::error_code FindOutput(const std::string& name, Output& into) {
    if (const std::error_code failed = FindDestination(name, into.where))
        return failed;
    seams::Walked(name);
    const Destination& where = into.where;
    // The walk took the name's last part in a descriptor folder for a
    // descriptor, and a descriptor folder's names are its numbers.
    if (where.descriptor && IsOwnDescriptorFolder(where.folder.get()))
        into.descriptor = std::atoi(where.leaf.c_str());
    else if (where.exists)
        into.descriptor = StandardDescriptorOn(where.found);
    if (into.descriptor >= 0 || where.descriptor)
        return {};
    return SharedFolderRule(where);
}

std::error_code WriteToOutput(const Output& output, const std::uint8_t* bytes, std::size_t count,
                              PendingFolderSyncs* later) {
    if (output.descriptor >= 0)
        return WriteAll(output.descriptor, bytes, count);
    if (output.IsStream())
        return WriteStream(output.where, bytes, count);
    return ReplaceRegular(output.where, bytes, count, later);
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
