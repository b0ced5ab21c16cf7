#pragma once
// Screens in files: the size test, loading, saving and splitting into a
// bitmap file and an attribute file. Results are returned, never shown.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <system_error>

#include "screen/screen_layout.h"

namespace files {

// A screen file holds one screen byte for byte, with no header.
inline constexpr std::size_t ScreenFileSize = screen::ScreenSize;
inline constexpr std::size_t BitmapFileSize = screen::BitmapSize;
inline constexpr std::size_t AttributeFileSize = screen::AttributeCount;

using ScreenBytes = std::span<std::uint8_t, ScreenFileSize>;
using ConstScreenBytes = std::span<const std::uint8_t, ScreenFileSize>;

// Whether a size from FileSize is that of a screen file; the only test a
// file must pass to be loaded.
bool IsScreenFileSize(std::int64_t size);

enum class LoadResult {
    Loaded,      // the whole screen was read
    NotAScreen,  // no regular file of exactly one screen's size
    Unreadable,  // the size was right, but the screen could not be read in full
};

// Reads the screen file into the buffer; unless the answer is Loaded the
// buffer is left exactly as it was.
LoadResult LoadScreen(const std::string& path, ScreenBytes into);

// Writes the screen as a whole screen file with WriteFileSafely; the cause of
// any failure (an empty path included), empty on success.
std::error_code SaveScreen(const std::string& path, ConstScreenBytes screen);

// Why each of the two files was not written; empty for a file written.
struct SplitResult {
    std::error_code bitmap;
    std::error_code attributes;
    bool bothSaved() const { return !bitmap && !attributes; }
};

// Writes the bitmap area to the split base name of the path followed by
// BitmapFileSuffix, then the attribute area to the base name followed by
// AttributeFileSuffix, each with WriteFileSafely; the second is written even
// when the first fails. An empty path writes nothing and reports both failed,
// and so does a path whose split files would include the file itself (its
// name ends in BitmapFileSuffix or AttributeFileSuffix):
// FileFault::WouldOverwriteSource.
SplitResult SplitScreen(const std::string& loadedPath, ConstScreenBytes screen);

}  // namespace files
