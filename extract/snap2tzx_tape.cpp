#include "extract/snap2tzx_tape.h"

#include <algorithm>
#include <cstring>

#include "screen/screen_layout.h"

namespace extract::testing {

TzxBlocks StandardAndTurboBlocks(const Bytes& tzx) {
    constexpr std::size_t HeaderLength = 10;  // "ZXTape!", 0x1A, major and minor version
    // What precedes a block's bytes after its id, and where in it their length is.
    constexpr std::size_t StandardFields = 4, StandardLengthAt = 2, TurboFields = 0x12, TurboLengthAt = 0x0F;
    if (tzx.size() < HeaderLength || std::memcmp(tzx.data(), "ZXTape!\x1A", 8) != 0)
        return {{}, "no .tzx signature"};
    TzxBlocks result;
    for (std::size_t at = HeaderLength; at < tzx.size();) {
        const std::uint8_t id = tzx[at++];
        if (id != 0x10 && id != 0x11)
            return {{}, "block " + std::to_string(result.blocks.size()) + " has id " + std::to_string(id)};
        const std::size_t fields = id == 0x10 ? StandardFields : TurboFields;
        if (tzx.size() - at < fields)
            return {{}, "block " + std::to_string(result.blocks.size()) + " is cut short"};
        const std::uint8_t* length = &tzx[at + (id == 0x10 ? StandardLengthAt : TurboLengthAt)];
        const std::size_t bytes = length[0] | length[1] << 8 | (id == 0x10 ? 0 : length[2] << 16);
        at += fields;
        if (tzx.size() - at < bytes)
            return {{}, "block " + std::to_string(result.blocks.size()) + " runs past the end"};
        result.blocks.push_back({id, Bytes(tzx.begin() + at, tzx.begin() + at + bytes)});
        at += bytes;
    }
    return result;
}

Bytes TzxOf(const std::vector<TzxBlock>& blocks) {
    Bytes tzx{'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
    auto put = [&](std::size_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tzx.push_back(static_cast<std::uint8_t>(value >> 8 * i));
    };
    for (const TzxBlock& block : blocks) {
        tzx.push_back(block.id);
        if (block.id == 0x11) {
            for (int value : {1700, 450, 450, 200, 400, 2058})  // pilot, syncs, bits, pilot pulses
                put(value, 2);
            tzx.push_back(8);  // bits used in the last byte
        }
        put(100, 2);  // pause in milliseconds
        put(block.data.size(), block.id == 0x11 ? 3 : 2);
        tzx.insert(tzx.end(), block.data.begin(), block.data.end());
    }
    return tzx;
}

Unpacked UnpackSnap2tzxScreen(const Bytes& block) {
    constexpr std::uint8_t ScreenFlag = 0xAA, Marker = 0xED;
    constexpr std::size_t ScreenBytes = screen::ScreenSize;
    if (block.size() < 2 || block[0] != ScreenFlag)
        return {{}, "no block flagged 0xAA"};
    std::uint8_t parity = 0;
    for (const std::uint8_t byte : block)
        parity ^= byte;
    if (parity != 0)
        return {{}, "the checksum does not match"};
    const Bytes packed(block.rbegin() + 1, block.rend() - 1);
    Unpacked result;
    for (std::size_t at = 0; at < packed.size();) {
        const bool run = packed[at] == Marker && at + 1 < packed.size() && packed[at + 1] == Marker;
        if (run && packed.size() - at < 4)
            return {{}, "a run cut short at packed byte " + std::to_string(at)};
        const std::size_t count = run ? packed[at + 2] : 1;
        const std::uint8_t value = run ? packed[at + 3] : packed[at];
        if (count == 0)
            return {{}, "a run of no bytes at packed byte " + std::to_string(at)};
        if (ScreenBytes - result.screen.size() < count)
            return {{}, "unpacks past a screen's length at packed byte " + std::to_string(at)};
        result.screen.insert(result.screen.end(), count, value);
        at += run ? 4 : 1;
    }
    if (result.screen.size() != ScreenBytes)
        return {{}, "unpacks to " + std::to_string(result.screen.size()) + " bytes, short of a screen"};
    return result;
}

Bytes Snap2tzxScreenBlock(const Bytes& packed) {
    Bytes block(packed.rbegin(), packed.rend());
    block.insert(block.begin(), 0xAA);
    std::uint8_t parity = 0;
    for (const std::uint8_t byte : block)
        parity ^= byte;
    block.push_back(parity);
    return block;
}

}  // namespace extract::testing
