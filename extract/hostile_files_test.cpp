// Files made to exhaust the readers: each is refused, or read within bounds,
// before libspectrum can spend time or memory on what it claims.
#include <gtest/gtest.h>

#include "export/tape.h"
#include "extract/extract_test_files.h"
#include "extract/guarded_reader.h"
#include "extract/screen_finder.h"
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
