// Screens inside their border: .bsc and .bmc4 with fixed segments, .bsp with
// runs, against files built by hand and a real screen with striped borders.

#include <gtest/gtest.h>

#include <algorithm>

#include "modes/formats_test_support.h"
#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace {

using namespace formats_test;

// The border byte of segment pair p (16 pixels) of line y: 24 pairs on a full
// line, 4 left and 4 right on a screen line.
std::size_t SegmentPair(int y, int x) {
    const int above = std::min(y, 64), beside = std::clamp(y - 64, 0, 192), below = std::max(y - 256, 0);
    std::size_t at = 24 * above + 8 * beside + 24 * below;
    if (y >= 64 && y < 256)
        return at + (x < 64 ? x / 16 : 4 + (x - 320) / 16);
    return at + x / 16;
}

// A real screen with a border of stripes: colour (y / 4 + x / 8) % 8.
Bytes StripedBorderScreen(std::size_t size) {
    const auto& real = testsupport::RealScreens()[6].bytes;
    Bytes bytes(real.begin(), real.end());
    bytes.resize(size);
    if (size == 11904)  // the lower four lines of each cell in other colours
        for (int i = 0; i < 768; ++i)
            bytes[ScreenBytes + i] = static_cast<std::uint8_t>(real[BitmapBytes + i] ^ 0x09);
    const std::size_t border = size - 4224;
    for (int y = 0; y < 304; ++y)
        for (int x = 0; x < 384; x += 16) {
            if (y >= 64 && y < 256 && x >= 64 && x < 320)
                continue;
            bytes[border + SegmentPair(y, x)] =
                static_cast<std::uint8_t>(0xC0 | ((y / 4 + x / 8) % 8) | ((y / 4 + x / 8 + 1) % 8) << 3);
        }
    return bytes;
}

TEST(BorderScreen, StripesAroundARealScreenAtSixtyFour) {
    const auto& real = testsupport::RealScreens()[6].bytes;
    for (std::size_t size : {11136u, 11904u})
        for (const char* extension : {"bsc", "bmc4"}) {
            const auto picture = DecodeAs(extension, StripedBorderScreen(size));
            ASSERT_EQ(picture.width, 384);
            ASSERT_EQ(picture.height, 304);
            for (int y = 0; y < 304; ++y)
                for (int x = 0; x < 384; ++x) {
                    screen::ColourCode expected = Plain((y / 4 + x / 8) % 8);
                    if (y >= 64 && y < 256 && x >= 64 && x < 320) {
                        expected = ScreenColour(real.data(), x - 64, y - 64);
                        if (size == 11904 && (y - 64) % 8 >= 4) {
                            const std::uint8_t attribute =
                                real[testsupport::AttributeOffset((x - 64) / 8, (y - 64) / 8)];
                            const bool ink = testsupport::PixelOf(real.data(), x - 64, y - 64);
                            const int number = (ink ? attribute : attribute >> 3) & 7;
                            expected = screen::SpectrumColour(number ^ 1, attribute & 0x40);
                        }
                    }
                    ASSERT_EQ(picture.at(0, x, y), expected) << size << " " << x << "," << y;
                }
        }
}

// A header with its flags byte, screens of attribute `attribute` at `screens`.
Bytes Bsp(std::uint8_t flags, std::size_t size, std::initializer_list<std::size_t> screens) {
    Bytes bytes(size);
    bytes[3] = flags;
    std::uint8_t attribute = Attribute(1, 2);
    for (std::size_t at : screens) {
        for (std::size_t i = at + BitmapBytes; i < std::min(at + ScreenBytes, size); ++i)
            bytes[i] = attribute;
        attribute = Attribute(3, 4);
    }
    return bytes;
}

TEST(Bsp, RunsRestartOnEveryLineAndStopAtTheScreen) {
    Bytes bytes = Bsp(0x40, 6982 + 9, {70});
    const std::uint8_t border[] = {
        3 << 3 | 2,      // line 0: 32 pixels of 2
        2 << 3 | 5,      // 24 pixels of 5
        0 << 3 | 4,      // 4 to the end of the line
        1 << 3 | 6,  0,  // line 1: length 0, colour 6 to the end
        31 << 3 | 7,     // line 2: 88 pixels of 7
        1 << 3 | 3,  2,  // then 4 pixels of 3
                         // the bytes run out: black
    };
    std::copy(std::begin(border), std::end(border), bytes.begin() + 6982);
    const auto picture = DecodeAs("bsp", bytes);
    ASSERT_EQ(picture.width, 384);
    EXPECT_EQ(picture.at(0, 0, 0), Plain(2));
    EXPECT_EQ(picture.at(0, 31, 0), Plain(2));
    EXPECT_EQ(picture.at(0, 32, 0), Plain(5));
    EXPECT_EQ(picture.at(0, 55, 0), Plain(5));
    EXPECT_EQ(picture.at(0, 56, 0), Plain(4));
    EXPECT_EQ(picture.at(0, 383, 0), Plain(4));
    EXPECT_EQ(picture.at(0, 0, 1), Plain(6));
    EXPECT_EQ(picture.at(0, 383, 1), Plain(6));
    EXPECT_EQ(picture.at(0, 87, 2), Plain(7));
    EXPECT_EQ(picture.at(0, 88, 2), Plain(3));
    EXPECT_EQ(picture.at(0, 91, 2), Plain(3));
    EXPECT_EQ(picture.at(0, 92, 2), Plain(0));
    EXPECT_EQ(picture.at(0, 64, 64), Plain(2));  // the screen's paper
}

TEST(Bsp, ScreenLinesHaveALeftAndARightPartAndTwoFramesTheirOwnBorders) {
    Bytes bytes = Bsp(0xC0, 13896 + 2 * 304 * 2 + 20, {72, 6984});
    std::size_t at = 13896;
    for (int line = 0; line < 304; ++line) {
        bytes[at++] = 0 << 3 | 5;  // to the screen or the end of the line
        if (line >= 64 && line < 256)
            bytes[at++] = 0 << 3 | 6;
    }
    bytes[70] = static_cast<std::uint8_t>(at & 0xFF);
    bytes[71] = static_cast<std::uint8_t>(at >> 8);
    bytes[at] = 0 << 3 | 1;  // frame 2: line 0 in 1, the rest black
    const auto picture = DecodeAs("bsp", bytes);
    ASSERT_EQ(picture.frames, 2);
    EXPECT_EQ(picture.at(0, 63, 64), Plain(5));
    EXPECT_EQ(picture.at(0, 64, 64), Plain(2));
    EXPECT_EQ(picture.at(0, 319, 255), Plain(2));
    EXPECT_EQ(picture.at(0, 320, 255), Plain(6));
    EXPECT_EQ(picture.at(0, 383, 303), Plain(5));
    EXPECT_EQ(picture.at(1, 383, 0), Plain(1));
    EXPECT_EQ(picture.at(1, 0, 1), Plain(0));
    EXPECT_EQ(picture.at(1, 64, 64), Plain(4));
}

TEST(Bsp, TwoFramesWithoutBorderAreExactlyTwoScreens) {
    const auto picture = DecodeAs("bsp", Bsp(0x80, 13894, {70, 6982}));
    ASSERT_EQ(picture.width, 256);
    EXPECT_EQ(picture.at(0, 0, 0), Plain(2));
    EXPECT_EQ(picture.at(1, 255, 191), Plain(4));
    EXPECT_NE(RefusalAs("bsp", Bsp(0x80, 13895, {70, 6982})), "");
    EXPECT_NE(RefusalAs("bsp", Bsp(0x80, 13893, {70, 6982})), "");
    EXPECT_EQ(DecodeAs("bsp", Bsp(0x00, 6982, {70})).width, 256);
}

}  // namespace
