// Tapes through libspectrum, with the checks that keep its readers out of
// trouble: a .tap is walked first, a compressed .csw is measured first.
#include <zlib.h>

#include <algorithm>
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

// libspectrum unpacks a compressed .csw whole, and a megabyte of it can
// unpack to a gigabyte of pulses. A .csw carries pulses, never bytes we could
// read back, so only its form is read: a compressed one is unpacked here
// first, without keeping what it gives, and refused beyond the bound.
std::string CswFault(std::span<const std::uint8_t> file) {
    constexpr std::size_t Version2Header = 0x34;
    constexpr std::uint8_t ZlibRle = 2;
    const std::string tooLong =
        "the pulses unpack to more than " + std::to_string(MaxCswPulseBytes >> 20) + " MiB, longer than any tape";
    if (file.size() < Version2Header || file[0x17] != 2 || file[0x21] != ZlibRle)
        return {};
    const std::uint32_t declared = file[0x1D] | file[0x1E] << 8 | file[0x1F] << 16 | std::uint32_t{file[0x20]} << 24;
    if (declared > MaxCswPulseBytes)
        return tooLong;
    const std::size_t start = Version2Header + file[0x23];
    if (start > file.size())
        return {};  // libspectrum says what is wrong with it
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return "out of memory";
    std::unique_ptr<z_stream, decltype(&inflateEnd)> owner(&stream, inflateEnd);
    stream.next_in = const_cast<Bytef*>(file.data() + start);
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(file.size() - start, UINT32_MAX));
    Bytef sink[65536];
    for (;;) {
        stream.next_out = sink;
        stream.avail_out = sizeof sink;
        const int state = inflate(&stream, Z_NO_FLUSH);
        if (stream.total_out > MaxCswPulseBytes)
            return tooLong;
        if (state != Z_OK)
            return {};  // the end, or damage libspectrum will name
    }
}

// A tape's data block as a Found, with the screen's bytes when it holds one.
Found DataBlock(int number, const std::string& kind, const std::string& headerName, const libspectrum_byte* data,
                std::size_t length) {
    // A standard block holds the flag byte and the checksum around the bytes.
    const bool framed = length == screen::ScreenSize + 2;
    Found found{number, kind, "", length, false, {}};
    if (data != nullptr && (framed || length == screen::ScreenSize)) {
        found.isScreen = true;
        found.name = headerName;
        found.screen.assign(data + (framed ? 1 : 0), data + (framed ? 1 : 0) + screen::ScreenSize);
    }
    return found;
}

}  // namespace

Contents ReadTape(std::span<const std::uint8_t> file, const std::string& fileName, libspectrum_id_t type) {
    Contents contents;
    if (type == LIBSPECTRUM_ID_TAPE_TAP)
        contents.error = TapFault(file);
    if (type == LIBSPECTRUM_ID_TAPE_CSW)
        contents.error = CswFault(file);
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
        contents.found.push_back(DataBlock(number, kind, headerName, data, length));
        headerName = CodeHeaderName(data, length);
    }
    return contents;
}

}  // namespace extract
