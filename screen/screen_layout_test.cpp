#include "screen/screen_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "screen/screen_test_support.h"

namespace screen {
namespace {

using testsupport::PixelOffset;

TEST(LineOffsets, LineStartsFollowTheInterleavedOrder) {
    const std::pair<int, int> lineStarts[] = {{0, 0},     {1, 256},   {7, 1792},  {8, 32},
                                              {63, 2016}, {64, 2048}, {65, 2304}, {191, 6112}};
    for (const auto& [y, offset] : lineStarts) {
        EXPECT_EQ(PixelByteOffset(0, y), offset) << "line " << y;
        EXPECT_EQ(LineAddressTable[y], offset) << "line " << y;
    }
    EXPECT_EQ(PixelByteOffset(255, 191), 6143);
    EXPECT_EQ(PixelByteOffset(8, 0), 1);
}

TEST(LineOffsets, NextLineOffsetSteps) {
    const std::pair<int, int> steps[] = {{0, 256},
                                         {1792, 32},
                                         {2016, 2048},
                                         {6112, 6144},
                                         {256 + 5, 512 + 5},
                                         {4096 + 224, 4096 + 256 + 224},
                                         {2048 + 1792 + 224, 4096}};
    for (const auto& [from, to] : steps) {
        EXPECT_EQ(NextLineOffset(static_cast<std::uint16_t>(from)), to) << "from " << from;
    }
}

TEST(LineOffsets, NextLineOffsetWalksEveryLineInOrder) {
    std::uint16_t offset = 0;
    for (int y = 0; y < 192; ++y) {
        ASSERT_EQ(offset, PixelOffset(0, y)) << "line " << y;
        offset = NextLineOffset(offset);
    }
    EXPECT_EQ(offset, 6144);
}

TEST(LineOffsets, TableCoversTheBitmapOnce) {
    std::set<int> starts(LineAddressTable.begin(), LineAddressTable.end());
    EXPECT_EQ(starts.size(), 192u);
    std::vector<int> hits(6144, 0);
    for (std::uint16_t start : LineAddressTable) {
        EXPECT_EQ(start % 32, 0);
        for (int k = 0; k < 32; ++k) {
            ASSERT_LT(start + k, 6144);
            ++hits[start + k];
        }
    }
    for (int offset = 0; offset < 6144; ++offset) {
        ASSERT_EQ(hits[offset], 1) << "offset " << offset;
    }
}

TEST(BitReverse, KnownValues) {
    const std::pair<int, int> values[] = {{1, 128},   {128, 1}, {15, 240},  {18, 72},
                                          {165, 165}, {0, 0},   {255, 255}, {0x0C, 0x30}};
    for (const auto& [in, out] : values) {
        EXPECT_EQ(BitReverseTable[in], out) << "byte " << in;
    }
}

TEST(BitReverse, EveryEntryMovesEachBitToItsMirrorPosition) {
    for (int b = 0; b < 256; ++b) {
        for (int bit = 0; bit < 8; ++bit) {
            ASSERT_EQ((BitReverseTable[b] >> (7 - bit)) & 1, (b >> bit) & 1) << "byte " << b;
        }
    }
}

TEST(PixelTest, ChecksTheRightBitAndWrapsHorizontally) {
    std::array<std::uint8_t, 6912> screen{};
    EXPECT_FALSE(PixelIsSet(screen.data(), 0, 0));
    screen[0] = 0x80;
    EXPECT_TRUE(PixelIsSet(screen.data(), 0, 0));
    EXPECT_FALSE(PixelIsSet(screen.data(), 1, 0));
    screen[0] = 0x7F;
    EXPECT_FALSE(PixelIsSet(screen.data(), 0, 0));

    screen[6143] = 0x01;
    EXPECT_TRUE(PixelIsSet(screen.data(), 255, 191));
    EXPECT_FALSE(PixelIsSet(screen.data(), 254, 191));

    // Line 100, pixels 255 and 0.
    screen[PixelOffset(255, 100)] = 0x01;
    const int minusOne = -1;
    const int pastEnd = 256;
    EXPECT_TRUE(PixelIsSet(screen.data(), static_cast<std::uint8_t>(minusOne), 100));
    EXPECT_FALSE(PixelIsSet(screen.data(), static_cast<std::uint8_t>(pastEnd), 100));
    screen[PixelOffset(0, 100)] = 0x80;
    EXPECT_TRUE(PixelIsSet(screen.data(), static_cast<std::uint8_t>(pastEnd), 100));
}

TEST(PixelTest, AgreesWithBitFieldAddressingOnARealScreen) {
    const auto& bytes = testsupport::RealScreens().front().bytes;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(PixelByteOffset(x, y), PixelOffset(x, y)) << x << "," << y;
            ASSERT_EQ(PixelIsSet(bytes.data(), static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)),
                      testsupport::PixelOf(bytes.data(), x, y))
                << x << "," << y;
        }
    }
}

TEST(CellOffsets, BitmapAndAttributeOffsets) {
    EXPECT_EQ(CellBitmapOffset(0, 0), 0);
    EXPECT_EQ(CellBitmapOffset(0, 8), 2048);
    EXPECT_EQ(CellBitmapOffset(31, 23), 4351);
    EXPECT_EQ(CellBitmapOffset(31, 23) + 7 * PixelRowStep, 6143);
    EXPECT_EQ(AttributeOffset(0, 0), 6144);
    EXPECT_EQ(AttributeOffset(31, 23), 6911);
    for (int row = 0; row < 24; ++row) {
        for (int column = 0; column < 32; ++column) {
            EXPECT_EQ(CellBitmapOffset(column, row), (row & 24) * 256 + (row & 7) * 32 + column);
            for (int i = 0; i < 8; ++i) {
                ASSERT_EQ(CellBitmapOffset(column, row) + i * PixelRowStep, PixelOffset(column * 8, row * 8 + i));
            }
        }
    }
}

TEST(TestData, RealScreensArePresent) { EXPECT_GE(testsupport::RealScreens().size(), 10u); }

}  // namespace
}  // namespace screen
