#pragma once
// The few operations on named files that screen files need, on POSIX.

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "files/file_errors.h"

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
// failure, empty on success, with every write, sync and close of the file checked. Symbolic
// links are followed to the file they name (a loop fails), and the links stay.
// - Usually the bytes go to a temporary file in the same folder, which takes
//   the old file's owner, group and permission bits (a new file's are 0666
//   less the umask), is synced and renamed over the file; then the folder is
//   synced, as far as it lets itself be. The file is at every moment wholly
//   old or wholly new, even if the process is killed (which can leave the
//   temporary file behind).
// - A file with a second hard link, or in a folder that takes no new file
//   from us (or whose name leaves no room for a temporary name), or whose
//   owner or permissions a new file could not take over, is overwritten in
//   place, so that it keeps its identity. A failed write puts the old bytes
//   back (a file we may write but not read is emptied first instead), but a
//   kill part way can leave the file mixed.
// - A file we may not write fails unchanged. Devices and pipes are written
//   as they are, without waiting for a reader.
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

} // namespace files
