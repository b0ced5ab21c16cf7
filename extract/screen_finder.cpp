#include "extract/screen_finder.h"

#include <libspectrum.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>

#include "screen/screen_layout.h"

namespace extract {
namespace {

constexpr std::uint8_t CodeType = 3;
constexpr std::size_t HeaderLength = 19;  // flag, type, 10-character name, 3 words, checksum
constexpr std::size_t NameLength = 10;
constexpr int ScreenBank = 5;
constexpr int ShadowScreenBank = 7;
constexpr std::uint8_t ShadowScreenBit = 0x08;  // in the value last written to port 0x7ffd

// libspectrum reports errors through one function for the whole process;
// ours keeps the last message of the reading thread instead of printing it.
thread_local std::string lastMessage;

libspectrum_error keepMessage(libspectrum_error error, const char* format, va_list arguments) {
    char text[256];
    std::vsnprintf(text, sizeof text, format, arguments);
    lastMessage = text;
    return error;
}

void startLibrary() {
    static std::once_flag started;
    std::call_once(started, [] {
        libspectrum_init();
        libspectrum_error_function = keepMessage;
    });
}

std::string failure(libspectrum_error error) {
    if (!lastMessage.empty())
        return lastMessage;
    switch (error) {
    case LIBSPECTRUM_ERROR_MEMORY: return "out of memory";
    case LIBSPECTRUM_ERROR_CORRUPT: return "corrupt file";
    case LIBSPECTRUM_ERROR_SIGNATURE: return "bad signature";
    case LIBSPECTRUM_ERROR_UNKNOWN: return "unknown file format";
    default: return "cannot read the file";
    }
}

std::string kindOf(libspectrum_tape_type type) {
    switch (type) {
    case LIBSPECTRUM_TAPE_BLOCK_ROM: return "standard";
    case LIBSPECTRUM_TAPE_BLOCK_TURBO: return "turbo";
    case LIBSPECTRUM_TAPE_BLOCK_PURE_DATA: return "pure data";
    case LIBSPECTRUM_TAPE_BLOCK_DATA_BLOCK: return "data";
    default: return "";
    }
}

// The name of a CODE header block, or "" when the bytes are no such header.
std::string codeHeaderName(const libspectrum_byte* data, std::size_t length) {
    if (data == nullptr || length != HeaderLength || data[0] != 0x00 || data[1] != CodeType)
        return "";
    std::string name(reinterpret_cast<const char*>(data + 2), NameLength);
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

// libspectrum's .tap reader frees a tape it gave up on in a way that crashes
// when the tape is freed again, and keeps empty blocks: so a .tap is checked
// here first. Each block is its length (two bytes) and at least a flag byte
// and a checksum.
std::string tapFault(std::span<const std::uint8_t> file) {
    std::size_t at = 0;
    for (int block = 0; at < file.size(); ++block) {
        if (file.size() - at < 2)
            return "damaged tape: one byte after block " + std::to_string(block - 1);
        const std::size_t length = file[at] | file[at + 1] << 8;
        if (length < 2)
            return "damaged tape: block " + std::to_string(block) + " is too short to hold any bytes";
        if (file.size() - at - 2 < length)
            return "damaged tape: block " + std::to_string(block) + " runs past the end of the file";
        at += 2 + length;
    }
    return {};
}

Contents readTape(std::span<const std::uint8_t> file, const std::string& fileName, libspectrum_id_t type) {
    Contents contents;
    if (type == LIBSPECTRUM_ID_TAPE_TAP) {
        contents.error = tapFault(file);
        if (!contents.error.empty())
            return contents;
    }
    std::unique_ptr<libspectrum_tape, decltype(&libspectrum_tape_free)> tape(libspectrum_tape_alloc(),
                                                                             libspectrum_tape_free);
    const auto error = libspectrum_tape_read(tape.get(), file.data(), file.size(), type, fileName.c_str());
    if (error != LIBSPECTRUM_ERROR_NONE) {
        contents.error = failure(error);
        return contents;
    }
    std::string headerName;
    int number = 0;
    libspectrum_tape_iterator it;
    for (auto* block = libspectrum_tape_iterator_init(&it, tape.get()); block != nullptr;
         block = libspectrum_tape_iterator_next(&it), ++number) {
        const std::string kind = kindOf(libspectrum_tape_block_type(block));
        if (kind.empty())
            continue;
        const libspectrum_byte* data = libspectrum_tape_block_data(block);
        const std::size_t length = libspectrum_tape_block_data_length(block);
        // A standard block holds the flag byte and the checksum around the bytes.
        const bool framed = length == screen::ScreenSize + 2;
        Found found{number, kind, headerName, length, false, {}};
        if (data != nullptr && (framed || length == screen::ScreenSize)) {
            found.isScreen = true;
            std::copy_n(data + (framed ? 1 : 0), screen::ScreenSize, found.screen.begin());
        }
        if (!found.isScreen)
            found.name.clear();
        headerName = codeHeaderName(data, length);
        contents.found.push_back(std::move(found));
    }
    return contents;
}

bool blank(const libspectrum_byte* bank) {
    return std::all_of(bank, bank + screen::ScreenSize, [&](libspectrum_byte b) { return b == bank[0]; });
}

void addSnapshotScreens(libspectrum_snap* snap, Contents& contents) {
    const bool paged =
        libspectrum_machine_capabilities(libspectrum_snap_machine(snap)) & LIBSPECTRUM_MACHINE_CAPABILITY_128_MEMORY;
    const bool shadowShown = paged && (libspectrum_snap_out_128_memoryport(snap) & ShadowScreenBit);
    const int shown = shadowShown ? ShadowScreenBank : ScreenBank;
    const int other = shadowShown ? ScreenBank : ShadowScreenBank;
    auto add = [&](int bank) {
        const libspectrum_byte* bytes = libspectrum_snap_pages(snap, bank);
        if (bytes == nullptr)
            return false;
        Found found{-1, "bank " + std::to_string(bank), "", screen::ScreenSize, true, {}};
        std::copy_n(bytes, screen::ScreenSize, found.screen.begin());
        contents.found.push_back(std::move(found));
        return true;
    };
    if (!add(shown)) {
        contents.error = "the snapshot holds no screen memory";
        return;
    }
    const libspectrum_byte* shownBytes = libspectrum_snap_pages(snap, shown);
    const libspectrum_byte* otherBytes = paged ? libspectrum_snap_pages(snap, other) : nullptr;
    if (otherBytes != nullptr && !blank(otherBytes) &&
        !std::equal(otherBytes, otherBytes + screen::ScreenSize, shownBytes))
        add(other);
}

Contents readSnapshot(std::span<const std::uint8_t> file, const std::string& fileName, libspectrum_id_t type) {
    Contents contents;
    std::unique_ptr<libspectrum_snap, decltype(&libspectrum_snap_free)> snap(libspectrum_snap_alloc(),
                                                                             libspectrum_snap_free);
    const auto error = libspectrum_snap_read(snap.get(), file.data(), file.size(), type, fileName.c_str());
    if (error != LIBSPECTRUM_ERROR_NONE)
        contents.error = failure(error);
    else
        addSnapshotScreens(snap.get(), contents);
    return contents;
}

// libspectrum's own .sp reader copies the memory dump to its start address
// within a 48K buffer that begins at 16384, writing past the buffer's end, and
// never checks that the file holds the dump: so .sp files are read here. The
// header: "SP", the dump's length and start address, registers, 38 bytes in all.
Contents readSp(std::span<const std::uint8_t> file) {
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
        Found found{-1, "bank 5", "", screen::ScreenSize, true, {}};
        std::copy_n(file.begin() + SpHeaderLength + (ScreenAddress - start), screen::ScreenSize, found.screen.begin());
        contents.found.push_back(std::move(found));
    }
    return contents;
}

// An input recording's first embedded snapshot is where the recording starts.
Contents readRecording(std::span<const std::uint8_t> file) {
    Contents contents;
    std::unique_ptr<libspectrum_rzx, decltype(&libspectrum_rzx_free)> rzx(libspectrum_rzx_alloc(),
                                                                          libspectrum_rzx_free);
    const auto error = libspectrum_rzx_read(rzx.get(), file.data(), file.size());
    if (error != LIBSPECTRUM_ERROR_NONE) {
        contents.error = failure(error);
        return contents;
    }
    for (auto it = libspectrum_rzx_iterator_begin(rzx.get()); it != nullptr; it = libspectrum_rzx_iterator_next(it))
        if (libspectrum_rzx_iterator_get_type(it) == LIBSPECTRUM_RZX_SNAPSHOT_BLOCK) {
            addSnapshotScreens(libspectrum_rzx_iterator_get_snap(it), contents);
            return contents;
        }
    return contents;
}

}  // namespace

Contents findScreens(std::span<const std::uint8_t> file, const std::string& fileName) {
    startLibrary();
    lastMessage.clear();
    libspectrum_id_t type;
    // The raw guess: libspectrum's other one unpacks what looks compressed
    // first, and a damaged bzip2 stream of three bytes keeps it busy for good.
    if (libspectrum_identify_file_raw(&type, fileName.c_str(), file.data(), file.size()) != LIBSPECTRUM_ERROR_NONE)
        return {{}, failure(LIBSPECTRUM_ERROR_UNKNOWN)};
    // libspectrum guesses from the contents too, and knows more kinds than we
    // read (a .tap can look like another program's tape format to it): a
    // file named .tap is read as one, and only the kinds below are read at all.
    if (fileName.ends_with(".tap") || fileName.ends_with(".TAP"))
        type = LIBSPECTRUM_ID_TAPE_TAP;
    switch (type) {
    case LIBSPECTRUM_ID_TAPE_TAP:
    case LIBSPECTRUM_ID_TAPE_TZX:
    case LIBSPECTRUM_ID_TAPE_PZX:
    case LIBSPECTRUM_ID_TAPE_CSW: return readTape(file, fileName, type);
    case LIBSPECTRUM_ID_SNAPSHOT_SNA:
    case LIBSPECTRUM_ID_SNAPSHOT_Z80:
    case LIBSPECTRUM_ID_SNAPSHOT_SZX: return readSnapshot(file, fileName, type);
    case LIBSPECTRUM_ID_SNAPSHOT_SP: return readSp(file);
    case LIBSPECTRUM_ID_RECORDING_RZX: return readRecording(file);
    case LIBSPECTRUM_ID_COMPRESSED_BZ2:
    case LIBSPECTRUM_ID_COMPRESSED_GZ:
    case LIBSPECTRUM_ID_COMPRESSED_ZIP: return {{}, "a compressed file: unpack it first"};
    default: return {{}, "not a tape, snapshot or input recording"};
    }
}

}  // namespace extract
