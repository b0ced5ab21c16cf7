#pragma once
// Screens inside tapes, snapshots and input recordings, read with libspectrum.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace extract {

// A block of a tape that carries bytes, or a screen bank of a snapshot.
struct Found {
    int block = -1;    // the tape block's number as tzxlist counts them (from 0); -1 in a snapshot
    std::string kind;  // "standard", "turbo", "pure data", "data", "bank 5", "bank 7"
    std::string name;  // the CODE header's name just before the block, trailing spaces cut
    std::size_t length = 0;
    bool isScreen = false;  // a whole screen (in a tape) or a bank worth showing (in a snapshot)
    // The screen's bytes; empty for a block that is no screen, so that a tape
    // of many small blocks costs no more than its blocks.
    std::vector<std::uint8_t> screen;
    // The mode a snapshot's machine shows its screen in, when not the classic
    // one: "ULAplus" (the screen and the 64-byte palette), "Timex hi-colour"
    // (bitmap and 6144 attribute bytes), "Timex hi-colour with ULAplus" or
    // "Timex hi-res" (two bitmaps and the colour byte). `screen` is then
    // laid out as that mode's .scr file.
    std::string mode;
};

struct Contents {
    std::vector<Found> found;  // every data block of a tape; the screens of a snapshot
    std::string error;         // why the file could not be read; empty when it was
};

// More data blocks than any real tape holds: a tape beyond it is refused
// before its blocks are listed.
inline constexpr std::size_t MaxDataBlocks = 16384;
// The most packed loading screens (snap2tzx's) unpacked in one tape:
// snap2tzx writes one, the rest leaves room for tapes joined into one, and
// what a tape unpacks to stays small. Those beyond it are listed as blocks,
// not screens.
inline constexpr std::size_t MaxPackedScreens = 16;
// How far a compressed .csw is unpacked: ten times the pulses of a whole 48K
// game loaded at the ROM's speed. One that unpacks further is refused.
inline constexpr std::size_t MaxCswPulseBytes = 8 << 20;
// The largest memory image a recording's snapshot may claim: a 128K machine's
// banks and every extra a snapshot carries fit many times over.
inline constexpr std::size_t MaxRecordedSnapshotBytes = 4 << 20;
// The most frames an input recording may claim: a day of play at 50 a second.
inline constexpr std::size_t MaxRecordedFrames = 50 * 60 * 60 * 24;

// Everything in the file that could be a screen. fileName only guides
// libspectrum's guess of the format, together with the contents.
Contents FindScreens(std::span<const std::uint8_t> file, const std::string& fileName);

}  // namespace extract
