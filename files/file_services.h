#pragma once
// The few operations on named files that screen files need, on POSIX.
// Every failure comes back as its cause (an errno value or a FileFault).

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "files/file_errors.h"
#include "files/link_rule.h"

namespace files {

// Folders whose latest renames are not yet synced, each kept once. A batch
// that replaces many files in one folder syncs that folder once at the end
// instead of after every file: each rename is atomic on its own, and the
// folder sync only makes it survive a power cut.
class PendingFolderSyncs {
public:
    PendingFolderSyncs() = default;
    ~PendingFolderSyncs() { SyncAll(); }
    PendingFolderSyncs(const PendingFolderSyncs&) = delete;
    PendingFolderSyncs& operator=(const PendingFolderSyncs&) = delete;

    void Add(const std::string& folder);
    // Syncs every folder added since the last call, as far as each lets
    // itself be (as WriteFileSafely does), and forgets them.
    void SyncAll();
    // Syncs them without forgetting: only async-signal-safe calls, for a
    // signal handler, provided Add and SyncAll cannot run meanwhile (that is,
    // while they run the signal is held back).
    void SyncEach() const noexcept;
    bool empty() const { return folders_.empty(); }

private:
    std::vector<std::string> folders_;
};

// The size in bytes of a regular file (symbolic links followed), found without
// opening it; negative for an empty name, a name that names nothing, a folder,
// a device or a pipe.
std::int64_t FileSize(const std::string& name);

// Reads exactly count bytes from the start of a regular file into the buffer.
// The cause when the name is no regular file (any more), the file cannot be
// opened or it holds fewer bytes (FileFault::ChangedWhileRead); the buffer's
// content is then undefined, so callers read into a buffer of their own.
std::error_code ReadFileStart(const std::string& name, std::uint8_t* into, std::size_t count);

// Replaces the file's content with the bytes, or creates it; the cause of any
// failure, empty on success, with every write, sync and close checked.
// - The name is followed by the link rule (link_rule.h): a symbolic link in a
//   shared sticky folder that belongs to neither us nor the folder's owner is
//   refused, and so is a link to nothing. A followed link stays a link.
// - Usually the bytes go to a new hidden file in the same folder
//   (".NAME.saving-XXXXXX"), which takes the old file's owner, group,
//   permission bits, ACLs and extended attributes, is synced and renamed over
//   the file; then the folder is synced, as far as it lets itself be. The file
//   is at every moment wholly old or wholly new, even if the process is
//   killed (which can leave the hidden file behind). A new file gets the
//   permissions any new file gets there: 0666 less the umask, or what the
//   folder's default ACL says.
// - A file with a second hard link (so that every name sees the new content),
//   in a folder that takes no new file from us, or whose owner or attributes
//   a new file could not take over, is overwritten in place as
//   OverwriteInPlace (in_place.h) describes: a failed write is undone, but a
//   kill or power cut during it can leave the file part new.
// - In a shared sticky folder (such as /tmp: sticky, and others or the group
//   may write), as the kernel does at its strictest whatever its settings:
//   a file or pipe that belongs to neither us nor the folder's owner is
//   refused (FileFault::OthersFileInSharedFolder), and nothing is written in
//   place: a second hard link is replaced, never written through, and a file
//   that only a write in place could keep is refused
//   (FileFault::InPlaceInSharedFolder).
// - Whatever is opened by name is checked to be what the walk found (device,
//   inode, owner): FileFault::ChangedWhileOpened otherwise.
// - A file we may not write fails unchanged. A name that leads to the very
//   file, pipe or terminal standard input, output or error is open on for
//   writing, or to this process's /proc descriptor folder (/dev/stdout,
//   /dev/fd/N, /proc/self/fd/N, however spelled), is written through that
//   descriptor, where the shell left it (after the earlier content of a file
//   opened for appending). Another process's descriptor (/proc/PID/fd/N) is
//   opened anew and, for a regular file, written at its end. Pipes and
//   devices are opened and written as they are, waiting for a reader.
std::error_code WriteFileSafely(const std::string& name, const std::uint8_t* bytes, std::size_t count);

// The same, except that after a rename the folder is not synced at once but
// added to `later`: until later.SyncAll() the new file is still wholly old or
// wholly new for every reader and after a kill, but a power cut could bring
// the old one back.
std::error_code WriteFileSafely(const std::string& name, const std::uint8_t* bytes, std::size_t count,
                                PendingFolderSyncs& later);

// The same again without syncing the new file or its folder: readers and a
// kill still find the file wholly old or wholly new, but a power cut may lose
// the new content. For files that can be made again, such as pictures.
std::error_code WriteFileUnsynced(const std::string& name, const std::uint8_t* bytes, std::size_t count);

// Where writing a name leads, found once by the walk, so that a caller can
// treat a stream and a replacement differently (hold signals back only while
// a file is replaced) by what will really be written, without a second look
// at the name that another program could answer differently.
struct Output {
    Destination where;
    int descriptor = -1;  // one of this process's own to write through, or -1
    // Written as it is, possibly waiting for a reader: a descriptor, a pipe
    // or a device; otherwise a regular file is replaced or created.
    bool IsStream() const;
};

// Finds where the name leads, with WriteFileSafely's refusals of names and
// of other users' files in shared folders.
std::error_code FindOutput(const std::string& name, Output& into);

// Writes the bytes there as WriteFileSafely does, syncing into `later` or,
// without it, syncing nothing (as WriteFileUnsynced).
std::error_code WriteToOutput(const Output& output, const std::uint8_t* bytes, std::size_t count,
                              PendingFolderSyncs* later);

}  // namespace files
