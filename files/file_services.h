#pragma once
// The few operations on named files the screen commands need, on POSIX.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace files {

// The size in bytes of a regular file (symbolic links followed), found without
// opening it; negative for an empty name, a name that names nothing, a folder,
// a device or a pipe.
std::int64_t FileSize(const std::string& name);

// Reads exactly count bytes from the start of a regular file into the buffer.
// False when the file cannot be opened or holds fewer bytes; the buffer's
// content is then undefined, so callers read into a buffer of their own.
bool ReadFileStart(const std::string& name, std::uint8_t* into, std::size_t count);

// Replaces the file's content with the bytes, or creates it. The old content
// stays whole until the new one is completely on disk: the bytes go to a
// temporary file in the same folder, which then takes the old file's place
// with the old file's permission bits. A symbolic link is written through to
// its target. Where no temporary file can be made there (or it cannot be given
// the old permissions), the file is emptied and written in place. Every write
// and the close are checked; false on any failure.
bool WriteFileSafely(const std::string& name, const std::uint8_t* bytes, std::size_t count);

} // namespace files

namespace files::testing {

// Runs at the start of ReadFileStart, before the file is opened: that is,
// between a load's size test and its read, where another program could swap
// the file. Tests change the file there; an empty hook runs nothing.
void SetBeforeReadHook(std::function<void(const std::string& name)> hook);

} // namespace files::testing
