#pragma once
// Moving bytes in and out of open files, and the hidden files the writers
// make beside the file they write.

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <sys/stat.h>
#include <sys/types.h>

#include "files/file_descriptor.h"

namespace files {

// Writes all the bytes at the descriptor's own position, waiting for a pipe
// or terminal that takes them slowly (also when it was opened non-blocking).
std::error_code WriteAll(int fd, const std::uint8_t* bytes, std::size_t count);

// Writes from the file's start; `done` tells how far it came.
std::error_code WriteAllAt(int fd, const std::uint8_t* bytes, std::size_t count, std::size_t& done);

// Reads exactly count bytes from the file's start; FileFault::ChangedWhileRead
// when the file ends before.
std::error_code ReadAllAt(int fd, std::uint8_t* into, std::size_t count);

// Reads what the descriptor has now, up to count bytes, retrying an
// interrupted read; `got` is 0 at its end.
std::error_code ReadSome(int fd, std::uint8_t* into, std::size_t count, std::size_t& got);

// The status of the file a name gives, its links followed.
std::error_code StatusOf(const std::string& name, struct stat& info);

// After a file was opened by name: FileFault::ChangedWhileOpened unless it
// is the one the walk found (device, inode and owner), which `opened`
// receives as it is now.
std::error_code CheckOpened(int fd, const struct stat& walked, struct stat& opened);

// What the name of a hidden file says it is for.
inline constexpr char SavingMark[] = ".saving-";  // a new file, before it takes the name
inline constexpr char KeptMark[] = ".kept-";      // a copy of the old bytes during a write in place

// Creates a new hidden file in the folder, named ".<leaf><mark>XXXXXX" with
// the leaf cut short where the whole would pass the longest name a folder
// takes; `name` receives the name. Invalid (errno set) when it cannot.
FileDescriptor CreateHiddenBeside(int folder, const std::string& leaf, const char* mark, mode_t mode,
                                  std::string& name);

// Syncs the folder so that its latest renames survive a power cut, as far as
// it lets itself be; only async-signal-safe calls.
void SyncFolder(const char* folder) noexcept;

}  // namespace files
