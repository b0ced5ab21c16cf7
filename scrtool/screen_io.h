#pragma once
// Reading inputs and writing results for the commands: named files, or the
// standard streams for "-". Every failure comes back as a one-line cause.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/file_services.h"
#include "screen/screen_layout.h"

namespace scrtool {

using Screen = std::array<std::uint8_t, screen::ScreenSize>;
using Bytes = std::vector<std::uint8_t>;

// How a refusal names the kind of file: {"not a screen file", "a screen is"}
// gives "not a screen file (6911 bytes, a screen is 6912)".
struct Expected {
    const char* notIt;
    const char* it;
};

// The bytes of a file (or of standard input for "-") that must be exactly
// `size` bytes long. Empty error on success; the error is the cause alone.
struct ReadResult {
    Bytes bytes;
    std::string error;
};
ReadResult ReadExactly(const std::string& name, std::size_t size, const Expected& expected);

// The size of a named regular file, or why it cannot be read as one (a
// missing file, a folder, a device or pipe, by the window's own size test).
struct FileSizeResult {
    std::int64_t size = -1;
    std::string error;
};
FileSizeResult RegularFileSize(const std::string& name);

// Whether writing `output` would replace the input itself, which only an
// explicit -o or --in-place may do.
bool WouldReplace(const std::string& output, const std::string& input);

// A screen file, by the window's rule: exactly 6912 bytes.
struct ScreenRead {
    Screen screen{};
    std::string error;
};
ScreenRead ReadScreen(const std::string& name);

// How messages name a file: "-" is standard input or output, and a name
// with control characters or bytes that are not UTF-8 is quoted as the shell
// would read it back ($'a\nb'), so that every message stays one line and
// nothing in a name reaches the terminal as a command.
std::string InputName(const std::string& name);
std::string OutputName(const std::string& name);
std::string ShellQuoted(const std::string& name);

// Screens are replaced durably: the new content is on disk before it takes
// the old one's place. Pictures are made from screens and can be made again,
// so they are only replaced atomically (a reader never sees half of one) and
// not waited for: syncing would cost many times the drawing.
enum class Durability { Synced, Atomic };

}  // namespace scrtool
