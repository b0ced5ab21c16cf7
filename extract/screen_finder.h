#pragma once
// Screens inside tapes, snapshots and input recordings, read with libspectrum.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace extract {

using Screen = std::array<std::uint8_t, 6912>;

// A block of a tape that carries bytes, or a screen bank of a snapshot.
struct Found {
    int block = -1;    // the tape block's number as tzxlist counts them (from 0); -1 in a snapshot
    std::string kind;  // "standard", "turbo", "pure data", "data", "bank 5", "bank 7"
    std::string name;  // the CODE header's name just before the block, trailing spaces cut
    std::size_t length = 0;
    bool isScreen = false;  // 6912 bytes (in a tape) or a bank worth showing (in a snapshot)
    Screen screen{};
};

struct Contents {
    std::vector<Found> found;  // every data block of a tape; the screens of a snapshot
    std::string error;         // why the file could not be read; empty when it was
};

// Everything in the file that could be a screen. fileName only guides
// libspectrum's guess of the format, together with the contents.
Contents findScreens(std::span<const std::uint8_t> file, const std::string& fileName);

}  // namespace extract
