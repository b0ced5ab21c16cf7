#pragma once
// Reading inputs and writing results for the commands: named files, or the
// standard streams for "-". Every failure comes back as a base::Error whose
// What() is the one-line cause a message gives after the file's name.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "files/file_services.h"
#include "screen/screen_layout.h"
#include "scrtool/names.h"

namespace scrtool {

using Screen = std::array<std::uint8_t, screen::ScreenSize>;
using Bytes = std::vector<std::uint8_t>;

// What an input must be to be read. Named files must be regular files (the
// window's own rule, which refuses folders, devices and pipes); standard
// input is read to its end, but never more than one byte past `size`.
struct InputRule {
    enum class Size { Exactly, AtMost };
    Size sizeRule = Size::Exactly;
    std::size_t size = 0;
    // Exactly: {"not a screen file", "a screen is"} gives "not a screen file
    // (6911 bytes, a screen is 6912)". AtMost: the refusal given the count
    // ("300000000" or "more than 268435456").
    const char* notIt = nullptr;
    const char* it = nullptr;
    std::string (*tooLarge)(const std::string& count) = nullptr;
};

// The whole input under the rule, or why not.
base::Result<Bytes> ReadInput(const std::string& name, const InputRule& rule);

// The rules of the screen files: a screen (6912 bytes), a bitmap and an
// attribute file.
extern const InputRule ScreenFile;
extern const InputRule BitmapFile;
extern const InputRule AttributeFile;

// A screen file, by the window's rule: exactly 6912 bytes.
base::Result<Screen> ReadScreen(const std::string& name);

// The size of a named regular file, or why it cannot be read as one (a
// missing file, a folder, a device or pipe).
base::Result<std::int64_t> RegularFileSize(const std::string& name);

// Screens are replaced durably: the new content is on disk before it takes
// the old one's place. Pictures are made from screens and can be made again,
// so they are only replaced atomically (a reader never sees half of one) and
// not waited for: syncing would cost many times the drawing.
enum class Durability { Synced, Atomic };

}  // namespace scrtool
