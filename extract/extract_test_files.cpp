#include "extract/extract_test_files.h"

#include <libspectrum.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace extract::testing {
namespace {

constexpr std::size_t BankSize = 16384;

void Check(libspectrum_error error, const char* what) {
    if (error != LIBSPECTRUM_ERROR_NONE)
        throw std::runtime_error(std::string("libspectrum could not ") + what);
}

Bytes Take(libspectrum_byte* buffer, std::size_t length) {
    Bytes bytes(buffer, buffer + length);
    libspectrum_free(buffer);
    return bytes;
}

Bytes ConvertTape(const Bytes& tap, libspectrum_id_t type) {
    libspectrum_init();
    libspectrum_tape* tape = libspectrum_tape_alloc();
    Check(libspectrum_tape_read(tape, tap.data(), tap.size(), LIBSPECTRUM_ID_TAPE_TAP, "in.tap"), "read a tap");
    libspectrum_byte* buffer = nullptr;
    std::size_t length = 0;
    Check(libspectrum_tape_write(&buffer, &length, tape, type), "write a tape");
    libspectrum_tape_free(tape);
    return Take(buffer, length);
}

// A bank of libspectrum's own memory holding bytes at its start.
libspectrum_byte* Bank(const Bytes& bytes) {
    auto* memory = static_cast<libspectrum_byte*>(libspectrum_new0(libspectrum_byte, BankSize));
    if (!bytes.empty())
        std::memcpy(memory, bytes.data(), bytes.size());
    return memory;
}

libspectrum_snap* Snapshot(const SnapshotScreens& screens) {
    libspectrum_init();
    libspectrum_snap* snap = libspectrum_snap_alloc();
    libspectrum_snap_set_machine(snap, screens.machine128 ? LIBSPECTRUM_MACHINE_128 : LIBSPECTRUM_MACHINE_48);
    libspectrum_snap_set_pc(snap, 0x8000);
    libspectrum_snap_set_sp(snap, 0xFF00);
    const int banks = screens.machine128 ? 8 : 3;
    for (int i = 0; i < banks; ++i) {
        const int number = screens.machine128 ? i : (i == 0 ? 5 : i == 1 ? 2 : 0);
        Bytes contents;
        if (number == 5)
            contents = screens.shadow ? screens.other : screens.shown;
        if (number == 7)
            contents = screens.shadow ? screens.shown : screens.other;
        libspectrum_snap_set_pages(snap, number, Bank(contents));
    }
    if (screens.machine128)
        libspectrum_snap_set_out_128_memoryport(snap, screens.shadow ? 0x08 : 0x00);
    return snap;
}

void Put16(Bytes& bytes, std::size_t at, int value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Append16(Bytes& bytes, int value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Append24(Bytes& bytes, std::size_t value) {
    Append16(bytes, static_cast<int>(value & 0xFFFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 16));
}

// The .z80 run-length scheme: ED ED count byte for runs of five or more (and
// for any run of EDs); a byte after a lone ED is never the start of a run.
Bytes Z80Compress(const Bytes& in) {
    Bytes out;
    for (std::size_t i = 0; i < in.size();) {
        std::size_t run = 1;
        while (i + run < in.size() && in[i + run] == in[i] && run < 255)
            ++run;
        const bool afterLoneEd = !out.empty() && out.back() == 0xED && i > 0 && in[i - 1] == 0xED;
        if (!afterLoneEd && (run >= 5 || (in[i] == 0xED && run >= 2))) {
            out.insert(out.end(), {0xED, 0xED, static_cast<std::uint8_t>(run), in[i]});
            i += run;
        } else {
            out.push_back(in[i++]);
        }
    }
    return out;
}

Bytes Z80Header() {
    Bytes header(30, 0);
    Put16(header, 8, 0xFF00);  // SP
    header[12] = 0x02;         // border 1
    return header;
}

// The snapshot in the format, as libspectrum writes it; frees it.
Bytes Written(const std::string& format, libspectrum_snap* snap, bool compressed) {
    const libspectrum_id_t type = format == "sna"   ? LIBSPECTRUM_ID_SNAPSHOT_SNA
                                  : format == "z80" ? LIBSPECTRUM_ID_SNAPSHOT_Z80
                                                    : LIBSPECTRUM_ID_SNAPSHOT_SZX;
    libspectrum_byte* buffer = nullptr;
    std::size_t length = 0;
    int lost = 0;
    Check(libspectrum_snap_write(&buffer, &length, &lost, snap, type, nullptr,
                                 compressed ? 0 : LIBSPECTRUM_FLAG_SNAPSHOT_NO_COMPRESSION),
          "write a snapshot");
    libspectrum_snap_free(snap);
    return Take(buffer, length);
}

}  // namespace

Bytes TzxFromTap(const Bytes& tap) { return ConvertTape(tap, LIBSPECTRUM_ID_TAPE_TZX); }
Bytes CswFromTap(const Bytes& tap) { return ConvertTape(tap, LIBSPECTRUM_ID_TAPE_CSW); }

Bytes LibspectrumSnapshot(const std::string& format, const SnapshotScreens& screens, bool compressed) {
    return Written(format, Snapshot(screens), compressed);
}

Bytes ModeSnapshot(const std::string& format, const Bytes& bank5, int timexMode, const Bytes& palette) {
    libspectrum_snap* snap = Snapshot({bank5, {}, false, false});
    if (timexMode >= 0) {
        libspectrum_snap_set_machine(snap, LIBSPECTRUM_MACHINE_TC2048);
        libspectrum_snap_set_out_scld_dec(snap, static_cast<libspectrum_byte>(timexMode));
    }
    if (!palette.empty()) {
        auto* entries = static_cast<libspectrum_byte*>(libspectrum_new0(libspectrum_byte, 64));
        std::memcpy(entries, palette.data(), 64);
        libspectrum_snap_set_ulaplus_active(snap, 1);
        libspectrum_snap_set_ulaplus_palette_enabled(snap, 1);
        libspectrum_snap_set_ulaplus_palette(snap, 0, entries);
    }
    return Written(format, snap, true);
}

Bytes RecordingHolding(const SnapshotScreens& screens) {
    libspectrum_rzx* rzx = libspectrum_rzx_alloc();
    libspectrum_rzx_add_snap(rzx, Snapshot(screens), 0);
    libspectrum_byte* buffer = nullptr;
    std::size_t length = 0;
    libspectrum_creator* creator = libspectrum_creator_alloc();
    libspectrum_creator_set_program(creator, "scrlab tests");
    Check(libspectrum_rzx_write(&buffer, &length, rzx, LIBSPECTRUM_ID_SNAPSHOT_Z80, creator, 1, nullptr),
          "write a recording");
    libspectrum_creator_free(creator);
    libspectrum_rzx_free(rzx);
    return Take(buffer, length);
}

Bytes TzxTurboAndPureData(const Bytes& screen) {
    const std::string signature = "ZXTape!\x1A";
    Bytes tzx(signature.begin(), signature.end());
    tzx.insert(tzx.end(), {1, 20});
    // Turbo block: the ROM's own timings, spelled out.
    tzx.push_back(0x11);
    for (int value : {2168, 667, 735, 855, 1710, 3223})
        Append16(tzx, value);
    tzx.push_back(8);  // bits used in the last byte
    Append16(tzx, 1000);
    Append24(tzx, screen.size());
    tzx.insert(tzx.end(), screen.begin(), screen.end());
    // Pure data block: bits without pilot or sync.
    tzx.push_back(0x14);
    Append16(tzx, 855);
    Append16(tzx, 1710);
    tzx.push_back(8);
    Append16(tzx, 0);
    Append24(tzx, screen.size());
    tzx.insert(tzx.end(), screen.begin(), screen.end());
    return tzx;
}

Bytes PzxHolding(const Bytes& screen) {
    Bytes pzx{'P', 'Z', 'X', 'T', 2, 0, 0, 0, 1, 0};
    Bytes data;
    const std::size_t bits = (screen.size() + 2) * 8;
    Append16(data, static_cast<int>(bits & 0xFFFF));
    Append16(data, static_cast<int>((bits >> 16) | 0x8000));  // starting high
    Append16(data, 945);                                      // tail pulse
    data.insert(data.end(), {2, 2});
    for (int pulse : {855, 855, 1710, 1710})
        Append16(data, pulse);
    data.push_back(0xFF);  // flag
    std::uint8_t sum = 0xFF;
    for (auto b : screen)
        sum ^= b;
    data.insert(data.end(), screen.begin(), screen.end());
    data.push_back(sum);
    pzx.insert(pzx.end(), {'D', 'A', 'T', 'A'});
    Append16(pzx, static_cast<int>(data.size() & 0xFFFF));
    Append16(pzx, static_cast<int>(data.size() >> 16));
    pzx.insert(pzx.end(), data.begin(), data.end());
    return pzx;
}

Bytes Sna48(const Bytes& screen) {
    Bytes sna(27, 0);
    Put16(sna, 23, 0xFF00);  // SP; PC is taken from the stack, 0 here
    sna[26] = 1;             // border
    Bytes memory(3 * BankSize, 0);
    std::copy(screen.begin(), screen.end(), memory.begin());
    sna.insert(sna.end(), memory.begin(), memory.end());
    return sna;
}

Bytes Sna128Shadow(const Bytes& shown, const Bytes& other) {
    Bytes sna(27, 0);
    Put16(sna, 23, 0xFF00);
    auto appendBank = [&](int number) {
        Bytes memory(BankSize, 0);
        const Bytes& screen = number == 7 ? shown : number == 5 ? other : Bytes{};
        std::copy(screen.begin(), screen.end(), memory.begin());
        sna.insert(sna.end(), memory.begin(), memory.end());
    };
    // The banks at 16384, 32768 and 49152 (bank 0 paged in), then PC, the
    // port's last value, TR-DOS paged or not, then the other banks in order.
    for (int number : {5, 2, 0})
        appendBank(number);
    Append16(sna, 0x8000);
    sna.insert(sna.end(), {0x08, 0x00});
    for (int number : {1, 3, 4, 6, 7})
        appendBank(number);
    return sna;
}

Bytes SpFrom(const Bytes& screen, int start) {
    constexpr int ScreenAddress = 16384;
    const int length = 65536 - start;
    Bytes sp(38, 0);
    sp[0] = 'S';
    sp[1] = 'P';
    Put16(sp, 2, length);
    Put16(sp, 4, start);
    Put16(sp, 28, 0xFF00);
    Put16(sp, 30, 0x8000);
    Bytes memory(static_cast<std::size_t>(length), 0);
    std::fill(memory.begin(), memory.begin() + (ScreenAddress - start), 0xAA);
    std::copy(screen.begin(), screen.end(), memory.begin() + (ScreenAddress - start));
    sp.insert(sp.end(), memory.begin(), memory.end());
    return sp;
}

Bytes SpHolding(const Bytes& screen) {
    Bytes sp(38, 0);
    sp[0] = 'S';
    sp[1] = 'P';
    Put16(sp, 2, 49152);    // length
    Put16(sp, 4, 16384);    // start
    Put16(sp, 28, 0xFF00);  // SP
    Put16(sp, 30, 0x8000);  // PC
    Bytes memory(49152, 0);
    std::copy(screen.begin(), screen.end(), memory.begin());
    sp.insert(sp.end(), memory.begin(), memory.end());
    return sp;
}

Bytes Z80Version1(const Bytes& screen, bool compressed) {
    Bytes z80 = Z80Header();
    Put16(z80, 6, 0x8000);  // PC: non-zero marks version 1
    Bytes memory(49152, 0);
    std::copy(screen.begin(), screen.end(), memory.begin());
    if (!compressed) {
        z80.insert(z80.end(), memory.begin(), memory.end());
        return z80;
    }
    z80[12] |= 0x20;
    const Bytes packed = Z80Compress(memory);
    z80.insert(z80.end(), packed.begin(), packed.end());
    z80.insert(z80.end(), {0x00, 0xED, 0xED, 0x00});
    return z80;
}

Bytes Z80Version2Shadow128(const Bytes& shown, const Bytes& other) {
    Bytes z80 = Z80Header();  // PC 0: the extra header follows
    Bytes extra(23, 0);
    Put16(extra, 0, 0x8000);  // PC
    extra[2] = 3;             // 128K in version 2
    extra[3] = 0x08 | 0x07;   // port 0x7ffd: shadow screen shown, bank 7 at the top
    Append16(z80, static_cast<int>(extra.size()));
    z80.insert(z80.end(), extra.begin(), extra.end());
    for (int number = 0; number < 8; ++number) {
        Bytes memory(BankSize, 0);
        const Bytes& screen = number == 7 ? shown : number == 5 ? other : Bytes{};
        std::copy(screen.begin(), screen.end(), memory.begin());
        const Bytes packed = Z80Compress(memory);
        Append16(z80, static_cast<int>(packed.size()));
        z80.push_back(static_cast<std::uint8_t>(number + 3));
        z80.insert(z80.end(), packed.begin(), packed.end());
    }
    return z80;
}

Bytes TapOfSmallBlocks(std::size_t count) {
    Bytes tap;
    for (std::size_t i = 0; i < count; ++i)
        tap.insert(tap.end(), {2, 0, 0xFF, 0x00});
    return tap;
}

Bytes TzxOfSmallBlocks(std::size_t count) {
    const std::string signature = "ZXTape!\x1A";
    Bytes tzx(signature.begin(), signature.end());
    tzx.insert(tzx.end(), {1, 20});
    for (std::size_t i = 0; i < count; ++i)
        tzx.insert(tzx.end(), {0x10, 0, 0, 2, 0, 0xFF, 0x00});  // no pause, two bytes
    return tzx;
}

// After a full flush deflate starts afresh, so every further MiB of one
// pulse length compresses to the same bytes: the stream is its first piece,
// that same piece again and again, the end, and the checksum of the whole.
Bytes CompressedCsw(std::size_t mebibytes, std::uint32_t declaredPulses) {
    const std::string signature = "Compressed Square Wave\x1A";
    Bytes csw(signature.begin(), signature.end());
    csw.insert(csw.end(), {2, 0});
    Append16(csw, 44100);
    Append16(csw, 0);
    Append16(csw, static_cast<int>(declaredPulses & 0xFFFF));
    Append16(csw, static_cast<int>(declaredPulses >> 16));
    csw.insert(csw.end(), {2, 0, 0});  // Z-RLE, low first, no extension
    csw.resize(0x34, ' ');
    const Bytes mebibyte(1 << 20, 0x10);
    z_stream stream{};
    Check(deflateInit(&stream, 9) == Z_OK ? LIBSPECTRUM_ERROR_NONE : LIBSPECTRUM_ERROR_MEMORY, "start zlib");
    auto deflated = [&](const Bytes& in, int flush) {
        Bytes out(deflateBound(&stream, in.size()) + 64);
        stream.next_in = const_cast<Bytef*>(in.data());
        stream.avail_in = static_cast<uInt>(in.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, flush);
        out.resize(out.size() - stream.avail_out);
        return out;
    };
    const Bytes first = deflated(mebibyte, Z_FULL_FLUSH);
    const Bytes again = deflated(mebibyte, Z_FULL_FLUSH);
    Bytes end = deflated({}, Z_FINISH);
    deflateEnd(&stream);
    csw.insert(csw.end(), first.begin(), first.end());
    const uLong one = adler32(adler32(0, nullptr, 0), mebibyte.data(), static_cast<uInt>(mebibyte.size()));
    uLong sum = one;
    for (std::size_t i = 1; i < mebibytes; ++i) {
        csw.insert(csw.end(), again.begin(), again.end());
        sum = adler32_combine(sum, one, static_cast<z_off_t>(mebibyte.size()));
    }
    for (int i = 0; i < 4; ++i)
        end[end.size() - 4 + i] = static_cast<std::uint8_t>(sum >> (24 - 8 * i));
    csw.insert(csw.end(), end.begin(), end.end());
    return csw;
}

}  // namespace extract::testing
