// Files made to exhaust the readers: each is refused, or read within bounds,
// before libspectrum can spend time or memory on what it claims.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/tape.h"
#include "extract/extract_test_files.h"
#include "extract/guarded_reader.h"
#include "extract/screen_finder.h"
#include "extract/snap2tzx_tape.h"
#include "screen/screen_layout.h"
#include "testsupport/real_screens.h"

namespace extract {
namespace {

using testing::Bytes;

Bytes TitleScreen() {
    const auto& bytes = testsupport::RealScreenBytes("screen01.scr");
    return Bytes(bytes.begin(), bytes.end());
}

Bytes Joined(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Blocks that are no screens carry no screen's bytes, and the one that is
// keeps them: 16,000 blocks must cost no more than they hold.
TEST(HostileFiles, ManySmallBlocksCarryNoScreenBytes) {
    const Bytes tap = Joined(testing::TapOfSmallBlocks(16000), exporter::ScreenTape(TitleScreen(), "Loading"));
    const Contents contents = FindScreens(tap, "many.tap");
    ASSERT_EQ(contents.error, "");
    ASSERT_EQ(contents.found.size(), 16004u);
    for (std::size_t i = 0; i + 1 < contents.found.size(); ++i)
        ASSERT_TRUE(contents.found[i].screen.empty()) << i;
    EXPECT_EQ(contents.found.back().name, "Loading");
    EXPECT_EQ(contents.found.back().screen, TitleScreen());
}

// The 256 KiB tape of 65,536 two-byte blocks, as .tap (walked by our check)
// and as .tzx (listed by libspectrum), is refused at the limit; a tape at
// the limit is read.
TEST(HostileFiles, MoreDataBlocksThanAnyTapeHoldsAreRefused) {
    const std::string refusal = "more than 16384 data blocks, more than any tape holds";
    const Bytes tap = testing::TapOfSmallBlocks(65536);
    ASSERT_EQ(tap.size(), 256u << 10);
    EXPECT_EQ(FindScreens(tap, "blocks.tap").error, refusal);
    EXPECT_EQ(FindScreens(testing::TzxOfSmallBlocks(MaxDataBlocks + 1), "blocks.tzx").error, refusal);
    const Contents full = FindScreens(testing::TzxOfSmallBlocks(MaxDataBlocks), "full.tzx");
    EXPECT_EQ(full.error, "");
    EXPECT_EQ(full.found.size(), MaxDataBlocks);
}

// A megabyte of compressed pulses unpacking to a gigabyte is refused unread
// by libspectrum; so is a header declaring more pulses than the bound. A
// short one is read as any .csw is: pulses, no screen.
TEST(HostileFiles, CompressedPulsesPastTheBoundAreRefused) {
    const std::string refusal = "the pulses unpack to more than 8 MiB, longer than any tape";
    const Bytes huge = testing::CompressedCsw(1024);
    ASSERT_LT(huge.size(), 1100000u);
    EXPECT_EQ(FindScreens(huge, "huge.csw").error, refusal);
    EXPECT_EQ(FindScreens(testing::CompressedCsw(9), "nine.csw").error, refusal);
    EXPECT_EQ(FindScreens(testing::CompressedCsw(1, 0xFFFFFFFF), "claims.csw").error, refusal);
    const Contents small = FindScreens(testing::CompressedCsw(4), "small.csw");
    EXPECT_EQ(small.error, "");
    EXPECT_TRUE(small.found.empty());
}

// A recording whose embedded snapshot claims to unpack to 4 GB, or whose
// input claims billions of frames: libspectrum asks for that much at once.
TEST(HostileFiles, ARecordingClaimingGigabytesIsRefused) {
    Bytes rzx{'R', 'Z', 'X', '!', 0, 13, 0, 0, 0, 0};
    const Bytes block{0x30, 29,   0,    0,    0, 2, 0, 0, 0, 'z', '8', '0', 0, 0xF0, 0xFF,
                      0xFF, 0xFF, 0x78, 0x9C, 1, 2, 3, 4, 5, 6,   7,   8,   9, 10,   11};
    rzx.insert(rzx.end(), block.begin(), block.end());
    const auto contents = FindScreens(rzx, "huge.rzx");
    EXPECT_EQ(contents.error, "the recording's snapshot claims 4294967280 bytes, more than any snapshot holds");
    EXPECT_TRUE(contents.found.empty());
    // An input recording block claiming 0x80808080 frames, its length past
    // the file's end: libspectrum asked for 64 GB before it read the length.
    Bytes frames{'R', 'Z', 'X', '!', 0, 13, 0, 0, 0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    EXPECT_EQ(FindScreens(frames, "frames.rzx").error,
              "the recording claims 2155905152 frames, more than any recording holds");
    // A block of length 0 kept libspectrum's reader going round for good.
    const Bytes empty{'R', 'Z', 'X', '!', 0, 13, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0x10, 0, 0, 0, 0};
    EXPECT_EQ(FindScreens(empty, "empty.rzx").error, "damaged recording: a block at byte 10 is too short to be one");
}

// snap2tzx's packed loading screen, made by hand: a lone marker, then runs
// of 0x22 adding up to `total` bytes (a screen's when 6912).
Bytes PackedStream(std::size_t total) {
    Bytes packed{0xED, 0x01};
    for (std::size_t left = total - 2; left > 0;) {
        const std::size_t count = std::min<std::size_t>(left, 255);
        packed.insert(packed.end(), {0xED, 0xED, static_cast<std::uint8_t>(count), 0x22});
        left -= count;
    }
    return packed;
}

// A packed loading screen is one only when its block is whole and unpacks
// to exactly a screen; nothing unpacks past a screen's length, and only
// snap2tzx's kind of block (turbo) is unpacked.
TEST(HostileFiles, APackedLoadingScreenMustUnpackToExactlyAScreen) {
    Bytes whole(screen::ScreenSize, 0x22);
    whole[0] = 0xED, whole[1] = 0x01;
    const Bytes good = testing::Snap2tzxScreenBlock(PackedStream(screen::ScreenSize));
    Bytes cut = PackedStream(screen::ScreenSize - 1);
    cut.insert(cut.end(), {0xED, 0xED, 1});
    Bytes none = PackedStream(screen::ScreenSize);
    none.insert(none.begin() + 2, {0xED, 0xED, 0, 0x22});
    Bytes badSum = good, badFlag = good;
    badSum.back() ^= 1;
    badFlag[0] = 0xFF, badFlag.back() ^= 0xAA ^ 0xFF;
    const std::vector<std::pair<testing::TzxBlock, bool>> cases = {
        {{0x11, good}, true},
        {{0x11, testing::Snap2tzxScreenBlock(PackedStream(screen::ScreenSize - 1))}, false},  // a byte short
        {{0x11, testing::Snap2tzxScreenBlock(PackedStream(screen::ScreenSize + 1))}, false},  // a byte over
        {{0x11, testing::Snap2tzxScreenBlock(cut)}, false},                                   // ends inside a run
        {{0x11, testing::Snap2tzxScreenBlock(none)}, false},                                  // a run of no bytes
        {{0x11, badSum}, false},
        {{0x11, badFlag}, false},
        {{0x10, good}, false},          // a standard block
        {{0x11, {0xAA, 0xAA}}, false},  // nothing packed
        {{0x11, good}, true},
    };
    std::vector<testing::TzxBlock> blocks;
    for (const auto& c : cases)
        blocks.push_back(c.first);
    const Contents contents = FindScreens(testing::TzxOf(blocks), "packed.tzx");
    ASSERT_EQ(contents.error, "");
    ASSERT_EQ(contents.found.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(contents.found[i].isScreen, cases[i].second) << i;
        EXPECT_TRUE(contents.found[i].screen == (cases[i].second ? whole : Bytes{})) << i;
    }
}

// A tape of a thousand small packed screens (120 bytes, each unpacking to
// 6912) unpacks only the first few: the child's answer stays within what
// it may give back.
TEST(HostileFiles, FewPackedScreensAreUnpackedInOneTape) {
    const std::vector<testing::TzxBlock> blocks(1000,
                                                {0x11, testing::Snap2tzxScreenBlock(PackedStream(screen::ScreenSize))});
    const Contents contents = FindScreensGuarded(testing::TzxOf(blocks), "packed.tzx");
    ASSERT_EQ(contents.error, "");
    ASSERT_EQ(contents.found.size(), blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i)
        ASSERT_EQ(contents.found[i].isScreen, i < MaxPackedScreens) << i;
}

// What the child finds comes back whole, and its refusals come back as they are.
TEST(HostileFiles, TheChildGivesBackWhatItFound) {
    const Bytes tap = Joined(testing::TapOfSmallBlocks(3), exporter::ScreenTape(TitleScreen(), "Loading"));
    const Contents good = FindScreensGuarded(tap, "game.tap");
    ASSERT_EQ(good.error, "");
    ASSERT_EQ(good.found.size(), 7u);
    EXPECT_TRUE(good.found[0].screen.empty());
    EXPECT_EQ(good.found[6].block, 6);
    EXPECT_EQ(good.found[6].kind, "standard");
    EXPECT_EQ(good.found[6].name, "Loading");
    EXPECT_EQ(good.found[6].length, 6914u);
    EXPECT_EQ(good.found[6].screen, TitleScreen());
    EXPECT_EQ(FindScreensGuarded(testing::TapOfSmallBlocks(65536), "blocks.tap").error,
              "more than 16384 data blocks, more than any tape holds");
}

}  // namespace
}  // namespace extract
