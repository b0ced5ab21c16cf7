#pragma once
// Writing a command's result where its name leads, with interrupts held back
// only while a file is replaced.

#include <span>
#include <string>

#include "files/file_services.h"
#include "scrtool/screen_io.h"

namespace scrtool {

// Writes the bytes to standard output for "-", else where the name leads: a
// stream (a descriptor, pipe or device, however named) is written as it is,
// waiting for a reader with SIGINT, SIGTERM and SIGHUP free to end the wait;
// a file is replaced whole with them held back until it is done. Which of the
// two it is comes from the very walk the write then uses. A synced
// replacement leaves its folder's sync to `folders`. The cause of a failure,
// or empty.
std::string WriteResult(const std::string& name, std::span<const std::uint8_t> bytes, Durability durability,
                        files::PendingFolderSyncs& folders);

}  // namespace scrtool
