#pragma once
// Reading back what snap2tzx puts on a tape, for the tests: the tape's blocks
// by hand (it writes standard and turbo blocks only), and the loading screen
// unpacked the way snap2tzx's own loader unpacks it, so that what extract
// lists can be checked against what the tape really holds.

#include <cstdint>
#include <string>
#include <vector>

#include "extract/extract_test_files.h"

namespace extract::testing {

struct TzxBlock {
    std::uint8_t id = 0;  // 0x10 standard, 0x11 turbo
    Bytes data;           // flag byte, bytes, checksum
};
struct TzxBlocks {
    std::vector<TzxBlock> blocks;
    std::string fault;  // why the file is not such a tape; empty when it is
};
// The blocks of a .tzx made of standard and turbo blocks only, and such a
// .tzx made (turbo blocks at snap2tzx's fastest timings).
TzxBlocks StandardAndTurboBlocks(const Bytes& tzx);
Bytes TzxOf(const std::vector<TzxBlock>& blocks);

// The separate loading screen's block (`snap2tzx -$`): flag 0xAA, the packed
// screen back to front (the loader loads downwards, then unpacks upwards from
// the lowest byte), and the exclusive or of all before it. Packed, 0xED 0xED
// n b stands for n bytes b; every other byte, a lone 0xED included, stands
// for itself.
struct Unpacked {
    Bytes screen;
    std::string fault;  // why the block holds no packed screen; empty when it does
};
Unpacked UnpackSnap2tzxScreen(const Bytes& block);
// Such a block around a packed stream, which is taken as it is.
Bytes Snap2tzxScreenBlock(const Bytes& packed);

}  // namespace extract::testing
