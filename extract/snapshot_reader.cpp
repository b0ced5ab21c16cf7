// Snapshots and input recordings: the screen the machine shows, and the
// other screen bank of a 128K machine when it holds something else.
#include <algorithm>
#include <memory>

#include "extract/readers.h"
#include "screen/screen_layout.h"

namespace extract {
namespace {

constexpr int ScreenBank = 5;
constexpr int ShadowScreenBank = 7;
constexpr std::uint8_t ShadowScreenBit = 0x08;  // in the value last written to port 0x7ffd

bool Blank(const libspectrum_byte* bank) {
    return std::all_of(bank, bank + screen::ScreenSize, [&](libspectrum_byte b) { return b == bank[0]; });
}

// The screen a machine shows from its screen bank, as the file of the mode it
// shows it in: a Timex machine's video mode (the SCLD's register at port
// 0xff: bits 0-2 choose the second screen at 0x6000, hi-colour with the
// attributes there, or hi-res with the second bitmap there, and bits 3-5 the
// hi-res colours, kept as the file's last byte), then a ULAplus palette in
// use after the screen (not after hi-res, which has no such file).
Found ShownScreen(libspectrum_snap* snap, int bank, const libspectrum_byte* bytes) {
    constexpr std::size_t SecondHalf = 0x2000;  // 0x6000, in the bank at 0x4000
    constexpr std::uint8_t SecondScreen = 0x01, HiColour = 0x02, HiRes = 0x04;
    constexpr std::size_t PaletteSize = 64;
    Found found{-1, "bank " + std::to_string(bank), "", screen::ScreenSize, true, {}, ""};
    const bool timex =
        libspectrum_machine_capabilities(libspectrum_snap_machine(snap)) & LIBSPECTRUM_MACHINE_CAPABILITY_TIMEX_VIDEO;
    const std::uint8_t mode = timex ? libspectrum_snap_out_scld_dec(snap) : 0;
    const auto* second = bytes + SecondHalf;
    if (mode & (HiRes | HiColour)) {
        found.screen.assign(bytes, bytes + screen::BitmapSize);
        found.screen.insert(found.screen.end(), second, second + screen::BitmapSize);
        found.mode = mode & HiRes ? "Timex hi-res" : "Timex hi-colour";
        if (mode & HiRes)
            found.screen.push_back(mode);
    } else {
        found.screen.assign(mode & SecondScreen ? second : bytes,
                            (mode & SecondScreen ? second : bytes) + screen::ScreenSize);
    }
    const libspectrum_byte* palette = libspectrum_snap_ulaplus_palette(snap, 0);
    if (!(mode & HiRes) && libspectrum_snap_ulaplus_active(snap) && libspectrum_snap_ulaplus_palette_enabled(snap) &&
        palette != nullptr) {
        found.screen.insert(found.screen.end(), palette, palette + PaletteSize);
        found.mode = found.mode.empty() ? "ULAplus" : found.mode + " with ULAplus";
    }
    found.length = found.screen.size();
    return found;
}

void AddSnapshotScreens(libspectrum_snap* snap, Contents& contents) {
    const bool paged =
        libspectrum_machine_capabilities(libspectrum_snap_machine(snap)) & LIBSPECTRUM_MACHINE_CAPABILITY_128_MEMORY;
    const bool shadowShown = paged && (libspectrum_snap_out_128_memoryport(snap) & ShadowScreenBit);
    const int shown = shadowShown ? ShadowScreenBank : ScreenBank;
    const int other = shadowShown ? ScreenBank : ShadowScreenBank;
    const libspectrum_byte* shownBytes = libspectrum_snap_pages(snap, shown);
    if (shownBytes == nullptr) {
        contents.error = "the snapshot holds no screen memory";
        return;
    }
    contents.found.push_back(ShownScreen(snap, shown, shownBytes));
    // The bank not shown, as the classic screen it would be.
    const libspectrum_byte* otherBytes = paged ? libspectrum_snap_pages(snap, other) : nullptr;
    if (otherBytes != nullptr && !Blank(otherBytes) &&
        !std::equal(otherBytes, otherBytes + screen::ScreenSize, shownBytes)) {
        Found found{-1, "bank " + std::to_string(other), "", screen::ScreenSize, true, {}, ""};
        found.screen.assign(otherBytes, otherBytes + screen::ScreenSize);
        contents.found.push_back(std::move(found));
    }
}

std::uint32_t Word32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

// libspectrum takes the memory a recording's blocks claim at their word, 4 GB
// included, before it checks the block holds them, and loops for good on an
// empty block: so the blocks are walked here first. After the recording's
// header (10 bytes) each block is its type, its whole length (4 bytes) and
// its data; a snapshot's data starts with its
// flags, its file kind and the length it unpacks to, an input recording's
// with its number of frames (32 bytes each in libspectrum's memory).
std::string RecordingFault(std::span<const std::uint8_t> file) {
    constexpr std::size_t RecordingHeader = 10, BlockHeader = 5;
    constexpr std::uint8_t SnapshotBlock = 0x30, InputBlock = 0x80;
    constexpr std::uint32_t ExternalSnapshot = 0x01;
    for (std::size_t at = RecordingHeader; at <= file.size() && file.size() - at >= BlockHeader;) {
        const std::size_t left = file.size() - at;
        if (file[at] == SnapshotBlock && left >= BlockHeader + 12 &&
            (Word32(file, at + BlockHeader) & ExternalSnapshot) == 0 &&
            Word32(file, at + BlockHeader + 8) > MaxRecordedSnapshotBytes)
            return "the recording's snapshot claims " + std::to_string(Word32(file, at + BlockHeader + 8)) +
                   " bytes, more than any snapshot holds";
        if (file[at] == InputBlock && left >= BlockHeader + 4 && Word32(file, at + BlockHeader) > MaxRecordedFrames)
            return "the recording claims " + std::to_string(Word32(file, at + BlockHeader)) +
                   " frames, more than any recording holds";
        // libspectrum loops for good on a block of length 0.
        const std::uint32_t length = Word32(file, at + 1);
        if (length < BlockHeader)
            return "damaged recording: a block at byte " + std::to_string(at) + " is too short to be one";
        if (length > left)
            return "damaged recording: the block at byte " + std::to_string(at) + " runs past the end of the file";
        at += length;
    }
    return {};
}

}  // namespace

Contents ReadSnapshot(std::span<const std::uint8_t> file, const std::string& fileName, libspectrum_id_t type) {
    Contents contents;
    std::unique_ptr<libspectrum_snap, decltype(&libspectrum_snap_free)> snap(libspectrum_snap_alloc(),
                                                                             libspectrum_snap_free);
    const auto error = libspectrum_snap_read(snap.get(), file.data(), file.size(), type, fileName.c_str());
    if (error != LIBSPECTRUM_ERROR_NONE)
        contents.error = Failure(error);
    else
        AddSnapshotScreens(snap.get(), contents);
    return contents;
}

// libspectrum's own .sp reader copies the memory dump to its start address
// within a 48K buffer that begins at 16384, writing past the buffer's end, and
// never checks that the file holds the dump: so .sp files are read here. The
// header: "SP", the dump's length and start address, registers, 38 bytes in all.
Contents ReadSp(std::span<const std::uint8_t> file) {
    constexpr std::size_t SpHeaderLength = 38;
    constexpr std::size_t ScreenAddress = 16384;
    Contents contents;
    if (file.size() < SpHeaderLength || file[0] != 'S' || file[1] != 'P') {
        contents.error = "not enough bytes for a .sp header";
        return contents;
    }
    const std::size_t length = file[2] | file[3] << 8;
    const std::size_t start = file[4] | file[5] << 8;
    if (file.size() < SpHeaderLength + length) {
        contents.error = "the .sp memory dump is cut short";
    } else if (start > ScreenAddress || start + length < ScreenAddress + screen::ScreenSize) {
        contents.error = "the snapshot holds no screen memory";
    } else {
        const auto screenStart = file.begin() + SpHeaderLength + (ScreenAddress - start);
        Found found{-1, "bank 5", "", screen::ScreenSize, true, {}, ""};
        found.screen.assign(screenStart, screenStart + screen::ScreenSize);
        contents.found.push_back(std::move(found));
    }
    return contents;
}

// An input recording's first embedded snapshot is where the recording starts.
Contents ReadRecording(std::span<const std::uint8_t> file) {
    Contents contents;
    contents.error = RecordingFault(file);
    if (!contents.error.empty())
        return contents;
    std::unique_ptr<libspectrum_rzx, decltype(&libspectrum_rzx_free)> rzx(libspectrum_rzx_alloc(),
                                                                          libspectrum_rzx_free);
    const auto error = libspectrum_rzx_read(rzx.get(), file.data(), file.size());
    if (error != LIBSPECTRUM_ERROR_NONE) {
        contents.error = Failure(error);
        return contents;
    }
    for (auto it = libspectrum_rzx_iterator_begin(rzx.get()); it != nullptr; it = libspectrum_rzx_iterator_next(it))
        if (libspectrum_rzx_iterator_get_type(it) == LIBSPECTRUM_RZX_SNAPSHOT_BLOCK) {
            AddSnapshotScreens(libspectrum_rzx_iterator_get_snap(it), contents);
            return contents;
        }
    return contents;
}

}  // namespace extract
