#pragma once
// Tapes, snapshots and recordings holding a known screen, made for the tests:
// with libspectrum's own writers where it has them, by hand after each
// format's description for the rest.

#include <cstdint>
#include <string>
#include <vector>

namespace extract::testing {

using Bytes = std::vector<std::uint8_t>;

// Made by libspectrum: .tzx (from our .tap), .csw, .sna, .z80 (version 3),
// .szx and .rzx. machine128 makes a 128K snapshot with `shown` in bank 5 or,
// with shadow, in bank 7 (the other bank holding `other`).
Bytes TzxFromTap(const Bytes& tap);
Bytes CswFromTap(const Bytes& tap);
struct SnapshotScreens {
    Bytes shown;
    Bytes other;  // 128K only; empty leaves the other bank blank
    bool machine128 = false;
    bool shadow = false;
};
Bytes LibspectrumSnapshot(const std::string& format, const SnapshotScreens& screens, bool compressed = true);
Bytes RecordingHolding(const SnapshotScreens& screens);

// Made by libspectrum: a 48K machine's snapshot (a Timex TC2048's with
// `timexMode` as its SCLD register when not negative) whose bank 5 holds
// `bank5` from its start, with the ULAplus palette in use when `palette` is
// not empty (64 bytes).
Bytes ModeSnapshot(const std::string& format, const Bytes& bank5, int timexMode, const Bytes& palette);

// By hand: a .tzx with a turbo block and a pure data block each holding the
// screen; a .pzx with one data block; .sp; .z80 versions 1 and 2.
Bytes TzxTurboAndPureData(const Bytes& screen);
Bytes PzxHolding(const Bytes& screen);
Bytes SpHolding(const Bytes& screen);
Bytes Z80Version1(const Bytes& screen, bool compressed);
Bytes Z80Version2Shadow128(const Bytes& shown, const Bytes& other);
// .sna byte by byte: a 48K one (27-byte header, memory from 16384); a 128K one
// showing its shadow screen (bit 3 of port 0x7ffd set), `shown` in bank 7 and
// `other` in bank 5, bank 0 paged at the top.
Bytes Sna48(const Bytes& screen);
Bytes Sna128Shadow(const Bytes& shown, const Bytes& other);
// A .sp whose memory dump starts at `start` (at most 16384) and runs to the
// end of memory; the bytes before the screen hold 0xAA.
Bytes SpFrom(const Bytes& screen, int start);

// Hostile files, made to exhaust a reader: a .tap or .tzx of `count` data
// blocks of two bytes each; a version 2 .csw whose compressed pulses unpack
// to `mebibytes` MiB (a whole valid stream, about 1 KB per MiB), declaring
// `declaredPulses` pulses in its header.
Bytes TapOfSmallBlocks(std::size_t count);
Bytes TzxOfSmallBlocks(std::size_t count);
Bytes CompressedCsw(std::size_t mebibytes, std::uint32_t declaredPulses = 0);

}  // namespace extract::testing
