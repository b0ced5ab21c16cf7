#pragma once
// Writing a regular file in place, for the files a new file cannot replace.

#include <cstddef>
#include <cstdint>
#include <system_error>
#include <sys/types.h>

#include "files/link_rule.h"

namespace files {

// The most a write in place reads and keeps of the old file: far beyond any
// screen or picture file of ours, far below what memory and a shared folder
// can take. A larger file is refused (FileFault::TooLargeForInPlace).
inline constexpr off_t InPlaceLimit = off_t{16} << 20;

// Overwrites the existing regular file at the destination without emptying
// it first, and cuts it to its new length only once the new content is all
// there; the file keeps its identity (other hard links, owner, attributes).
// First the old bytes are kept in memory and, where the folder takes a new
// file, in a hidden copy beside it (".NAME.kept-XXXXXX", synced), removed once
// the write is complete. A write that fails part way (a full disk, a file size
// limit) puts the old bytes back and checks them: FileFault::RestoreFailed
// when they are not all back, and then the hidden copy stays. A kill or power
// cut during the write can leave the file part new; the hidden copy then
// holds the old bytes. The file opened must be the one the walk found
// (FileFault::ChangedWhileOpened), and no larger than InPlaceLimit. A file we
// may write but not read cannot be kept: it is written over and cut to the
// new length, after a check that the file size limit lets all of it be
// written (EFBIG, the file untouched); a failure part way is then
// FileFault::UnkeptWriteFailed, and the file may be damaged.
std::error_code OverwriteInPlace(const Destination& where, const std::uint8_t* bytes, std::size_t count);

}  // namespace files
