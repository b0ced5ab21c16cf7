// Tapes through libspectrum, with the checks that keep its readers out of
// trouble: a .tap is walked first; a .csw is read by us alone.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "extract/readers.h"
#include "screen/screen_layout.h"

namespace extract {
namespace {

constexpr std::uint8_t CodeType = 3;
constexpr std::size_t HeaderLength = 19;  // flag, type, 10-character name, 3 words, checksum
constexpr std::size_t NameLength = 10;

std::string KindOf(libspectrum_tape_type type) {
    switch (type) {
    case LIBSPECTRUM_TAPE_BLOCK_ROM: return "standard";
    case LIBSPECTRUM_TAPE_BLOCK_TURBO: return "turbo";
    case LIBSPECTRUM_TAPE_BLOCK_PURE_DATA: return "pure data";
    case LIBSPECTRUM_TAPE_BLOCK_DATA_BLOCK: return "data";
    default: return "";
    }
}

// The name of a CODE header block, or "" when the bytes are no such header.
std::string CodeHeaderName(const libspectrum_byte* data, std::size_t length) {
    if (data == nullptr || length != HeaderLength || data[0] != 0x00 || data[1] != CodeType)
        return "";
    std::string name(reinterpret_cast<const char*>(data + 2), NameLength);
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

std::string TooManyBlocks() {
    return "more than " + std::to_string(MaxDataBlocks) + " data blocks, more than any tape holds";
}

// libspectrum's .tap reader frees a tape it gave up on in a way that crashes
// when the tape is freed again, and keeps empty blocks: so a .tap is checked
// here first. Each block is its length (two bytes) and at least a flag byte
// and a checksum.
std::string TapFault(std::span<const std::uint8_t> file) {
    std::size_t at = 0;
    for (std::size_t block = 0; at < file.size(); ++block) {
        if (block == MaxDataBlocks)
            return TooManyBlocks();
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

// Whether a compressed .csw's pulses unpack, within the bound: the cause
// when not. Nothing unpacked is kept.
std::string CompressedPulsesFault(std::span<const std::uint8_t> pulses) {
    const std::string tooLong =
        "the pulses unpack to more than " + std::to_string(MaxCswPulseBytes >> 20) + " MiB, longer than any tape";
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return "out of memory";
    std::unique_ptr<z_stream, decltype(&inflateEnd)> owner(&stream, inflateEnd);
    stream.next_in = const_cast<Bytef*>(pulses.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(pulses.size(), UINT32_MAX));
    Bytef sink[65536];
    for (;;) {
        stream.next_out = sink;
        stream.avail_out = sizeof sink;
        const int state = inflate(&stream, Z_NO_FLUSH);
        if (stream.total_out > MaxCswPulseBytes)
            return tooLong;
        if (state == Z_STREAM_END)
            return {};
        if (state != Z_OK)
            return "damaged .csw: its compressed pulses do not unpack";
    }
}

// A .csw carries pulses, never bytes we could read back, so only its form is
// read, and by us: libspectrum unpacks a compressed one whole (a megabyte of
// it can unpack to a gigabyte) and reads past the end of some damaged ones.
// Version 1: signature, version, rate (2 bytes), compression (1 = RLE) at
// 0x1b, pulses from 0x20. Version 2: rate and pulse count (4 bytes each),
// compression (1 = RLE, 2 = Z-RLE) at 0x21, header extension length at 0x23,
// pulses from 0x34 and the extension.
Contents ReadCsw(std::span<const std::uint8_t> file) {
    static constexpr char Signature[] = "Compressed Square Wave\x1A";
    constexpr std::size_t SignatureLength = sizeof Signature - 1, Version1Header = 0x20, Version2Header = 0x34;
    constexpr std::uint8_t Rle = 1, ZlibRle = 2;
    if (file.size() < Version1Header || !std::equal(Signature, Signature + SignatureLength, file.begin()))
        return {{}, "not a .csw: no signature"};
    const std::uint8_t version = file[SignatureLength];
    if (version == 1)
        return {{}, file[0x1B] == Rle ? "" : "damaged .csw: an unknown compression"};
    if (version != 2)
        return {{}, "a .csw of version " + std::to_string(version) + ", not 1 or 2"};
    if (file.size() < Version2Header || file.size() - Version2Header < file[0x23])
        return {{}, "damaged .csw: its header runs past the end of the file"};
    const std::uint32_t declared = file[0x1D] | file[0x1E] << 8 | file[0x1F] << 16 | std::uint32_t{file[0x20]} << 24;
    if (file[0x21] == Rle)
        return {};
    if (file[0x21] != ZlibRle)
        return {{}, "damaged .csw: an unknown compression"};
    if (declared > MaxCswPulseBytes)
        return {{},
                "the pulses unpack to more than " + std::to_string(MaxCswPulseBytes >> 20) +
                    " MiB, longer than any tape"};
    return {{}, CompressedPulsesFault(file.subspan(Version2Header + file[0x23]))};
}

// snap2tzx carries a loading screen in a turbo block of its own: flag 0xAA,
// the screen packed and then turned back to front (its loader loads downwards
// and unpacks upwards), and the checksum. Packed, 0xED 0xED n b stands for n
// bytes b and any other byte, a lone 0xED too, for itself. The screen, when
// the block is shorter than a screen and unpacks to exactly one; empty when
// not. Never more than a screen is unpacked.
std::vector<std::uint8_t> PackedLoadingScreen(const libspectrum_byte* data, std::size_t length) {
    constexpr libspectrum_byte Flag = 0xAA, Marker = 0xED;
    constexpr std::size_t Whole = screen::ScreenSize, RunLength = 4;
    if (data == nullptr || length < 2 || length - 2 >= Whole || data[0] != Flag)
        return {};
    libspectrum_byte parity = 0;
    for (std::size_t i = 0; i < length; ++i)
        parity ^= data[i];
    if (parity != 0)
        return {};
    // The packed bytes run from data[length - 2] down to data[1]: with `left`
    // of them unread, the next is data[left].
    std::array<std::uint8_t, Whole> screen;
    std::size_t made = 0;
    for (std::size_t left = length - 2; left > 0;) {
        const libspectrum_byte* next = data + left;
        const bool run = next[0] == Marker && left >= 2 && next[-1] == Marker;
        if (run && left < RunLength)
            return {};
        const std::size_t count = run ? next[-2] : 1;
        if (count == 0 || Whole - made < count)
            return {};
        std::fill_n(screen.begin() + made, count, run ? next[-3] : next[0]);
        made += count;
        left -= run ? RunLength : 1;
    }
    return made == Whole ? std::vector<std::uint8_t>(screen.begin(), screen.end()) : std::vector<std::uint8_t>{};
}

// Whether a block of that length holds a screen as it is: a standard block
// holds the flag byte and the checksum around the bytes.
bool PlainScreenLength(std::size_t length) { return length == screen::ScreenSize || length == screen::ScreenSize + 2; }

// A tape's data block as a Found, with the screen's bytes when it holds one;
// `unpack` allows a packed loading screen.
Found DataBlock(int number, const std::string& kind, const std::string& headerName, const libspectrum_byte* data,
                std::size_t length, bool unpack) {
    const bool framed = length == screen::ScreenSize + 2;
    Found found{number, kind, "", length, false, {}, ""};
    if (data != nullptr && PlainScreenLength(length))
        found.screen.assign(data + (framed ? 1 : 0), data + (framed ? 1 : 0) + screen::ScreenSize);
    else if (unpack && kind == "turbo")
        found.screen = PackedLoadingScreen(data, length);
    if (!found.screen.empty()) {
        found.isScreen = true;
        found.name = headerName;
    }
    return found;
}

}  // namespace

Contents ReadTape(std::span<const std::uint8_t> file, const std::string& fileName, libspectrum_id_t type) {
    Contents contents;
    if (type == LIBSPECTRUM_ID_TAPE_TAP)
        contents.error = TapFault(file);
    if (type == LIBSPECTRUM_ID_TAPE_CSW)
        return ReadCsw(file);
    if (!contents.error.empty())
        return contents;
    std::unique_ptr<libspectrum_tape, decltype(&libspectrum_tape_free)> tape(libspectrum_tape_alloc(),
                                                                             libspectrum_tape_free);
    const auto error = libspectrum_tape_read(tape.get(), file.data(), file.size(), type, fileName.c_str());
    if (error != LIBSPECTRUM_ERROR_NONE) {
        contents.error = Failure(error);
        return contents;
    }
    std::string headerName;
    int number = 0;
    std::size_t packedScreens = 0;
    libspectrum_tape_iterator it;
    for (auto* block = libspectrum_tape_iterator_init(&it, tape.get()); block != nullptr;
         block = libspectrum_tape_iterator_next(&it), ++number) {
        const std::string kind = KindOf(libspectrum_tape_block_type(block));
        if (kind.empty())
            continue;
        if (contents.found.size() == MaxDataBlocks)
            return {{}, TooManyBlocks()};
        const libspectrum_byte* data = libspectrum_tape_block_data(block);
        const std::size_t length = libspectrum_tape_block_data_length(block);
        contents.found.push_back(DataBlock(number, kind, headerName, data, length, packedScreens < MaxPackedScreens));
        if (contents.found.back().isScreen && !PlainScreenLength(length))
            ++packedScreens;
        headerName = CodeHeaderName(data, length);
    }
    return contents;
}

}  // namespace extract
