// Two-frame pictures in their programs' own layouts (MultiArtist, .hlr,
// .stl) and the Timex hi-res screens (.scr of 12289 bytes, .hrg), built by
// hand and from real screens.

#include <gtest/gtest.h>

#include "modes/formats_test_support.h"
#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace {

using namespace formats_test;

Bytes MultiArtist(int mode) {
    const std::size_t sizes[] = {0, 19456, 18688, 0, 15616, 0, 0, 0, 14080};
    Bytes bytes(sizes[mode]);
    PutText(bytes, 0, "MGH\x01");
    bytes[4] = static_cast<std::uint8_t>(mode);
    return bytes;
}

// Pixel (x, y) of frame f's bitmap set: the bitmaps follow the 256-byte header.
void SetFramePixel(Bytes& bytes, int frame, int x, int y) {
    testsupport::SetPixel(bytes.data() + 256 + BitmapBytes * frame, x, y);
}

TEST(MultiArtist, ModesTwoFourEightTakeARowOfAttributesPerCellHeight) {
    for (int mode : {2, 4, 8}) {
        Bytes bytes = MultiArtist(mode);
        const int table = BitmapBytes / mode;
        for (int frame = 0; frame < 2; ++frame)
            for (int row = 0; row < 192 / mode; ++row)
                bytes[12544 + table * frame + 32 * row + 31] = Attribute(row % 8, frame + 3, frame == 1);
        SetFramePixel(bytes, 1, 255, 191);
        const auto picture = DecodeAs("mg" + std::to_string(mode), bytes);
        ASSERT_EQ(picture.frames, 2);
        for (int y : {0, mode - 1, mode, 190}) {
            EXPECT_EQ(picture.at(0, 248, y), Plain(3)) << mode << " " << y;
            EXPECT_EQ(picture.at(1, 248, y), Bright(4)) << mode << " " << y;
        }
        EXPECT_EQ(picture.at(1, 255, 191), Bright((191 / mode) % 8)) << mode;
        EXPECT_EQ(picture.at(0, 255, 191), Plain(3)) << mode;
    }
}

TEST(MultiArtist, ModeOneHasLineAttributesInTheMiddleAndCellAttributesAtTheSides) {
    Bytes bytes = MultiArtist(1);
    for (int frame = 0; frame < 2; ++frame) {
        for (int y = 0; y < 192; ++y)
            bytes[12544 + 3072 * frame + 16 * y + 0] = Attribute(0, y % 8);  // column 8
        bytes[18688 + 384 * frame + 16 * 2 + 15] = Attribute(0, 5 - frame);  // column 31, row 2
        bytes[18688 + 384 * frame + 0] = Attribute(0, 2 + frame);            // column 0, row 0
    }
    const auto picture = DecodeAs("MG1", bytes);
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(picture.at(frame, 64, 9), Plain(1));
        EXPECT_EQ(picture.at(frame, 71, 10), Plain(2));
        EXPECT_EQ(picture.at(frame, 255, 16), Plain(5 - frame));
        EXPECT_EQ(picture.at(frame, 248, 23), Plain(5 - frame));
        EXPECT_EQ(picture.at(frame, 7, 7), Plain(2 + frame));
        EXPECT_EQ(picture.at(frame, 0, 8), Plain(0));
    }
}

TEST(MultiArtist, ASignatureOrModeThatDisagreesIsRefused) {
    Bytes bytes = MultiArtist(2);
    bytes[4] = 4;  // a mode 4 header in a file of mode 2's size
    EXPECT_NE(RefusalAs("mg2", bytes), "");
    bytes = MultiArtist(8);
    bytes[3] = 2;
    EXPECT_NE(RefusalAs("mg8", bytes), "");
    EXPECT_EQ(RefusalAs("mg4", MultiArtist(8)), "");  // the size and header decide, not the name
}

TEST(Hlr, OnePatternInEveryCellAndTwoAttributeTables) {
    Bytes bytes(1628);
    const std::uint8_t prefix[] = {0x76, 0xAF, 0xD3, 0xFE, 0x21, 0x00, 0x58};
    std::copy(std::begin(prefix), std::end(prefix), bytes.begin());
    bytes[84] = 0x80;  // top line: the leftmost pixel
    bytes[91] = 0x01;  // bottom line: the rightmost
    bytes[92 + 767] = Attribute(2, 6);
    bytes[860 + 767] = Attribute(4, 1, true);
    const auto picture = DecodeAs("hlr", bytes);
    EXPECT_EQ(picture.at(0, 248, 184), Plain(2));
    EXPECT_EQ(picture.at(0, 249, 184), Plain(6));
    EXPECT_EQ(picture.at(0, 255, 191), Plain(2));
    EXPECT_EQ(picture.at(1, 255, 191), Bright(4));
    EXPECT_EQ(picture.at(1, 254, 191), Bright(1));
    bytes[0] = 0;
    EXPECT_NE(RefusalAs("hlr", bytes), "");
}

TEST(Stellar, EachAttributePaintsAPaperBlockThenAnInkBlock) {
    Bytes bytes(3072);
    bytes[0] = Attribute(1, 2);                           // group 0, strip 0: frame 1 left
    bytes[1] = Attribute(3, 4, true);                     // frame 1 right
    bytes[2] = Attribute(5, 6, false, true);              // frame 2 left (FLASH ignored)
    bytes[47 * 64 + 15 * 4 + 3] = Attribute(7, 0, true);  // the last group's last strip: frame 2 right
    for (auto phase : {screen::FlashPhase::First, screen::FlashPhase::Second}) {
        const auto picture = DecodeAs("stl", bytes, phase);
        EXPECT_EQ(picture.at(0, 0, 0), Plain(2));
        EXPECT_EQ(picture.at(0, 3, 3), Plain(2));
        EXPECT_EQ(picture.at(0, 4, 0), Plain(1));
        EXPECT_EQ(picture.at(0, 8, 3), Bright(4));
        EXPECT_EQ(picture.at(0, 15, 0), Bright(3));
        EXPECT_EQ(picture.at(0, 0, 4), Plain(0));
        EXPECT_EQ(picture.at(1, 3, 0), Plain(6));
        EXPECT_EQ(picture.at(1, 7, 3), Plain(5));
        EXPECT_EQ(picture.at(1, 251, 188), Bright(0));
        EXPECT_EQ(picture.at(1, 255, 191), Bright(7));
    }
}

// Two real screens' bitmaps as a hi-res picture: byte columns alternate.
TEST(TimexHiRes, TwoBitmapsInterleaveByColumnInTheColourByteAndItsComplement) {
    const auto& a = testsupport::RealScreens()[4].bytes;
    const auto& b = testsupport::RealScreens()[5].bytes;
    Bytes bytes(a.begin(), a.begin() + BitmapBytes);
    bytes.insert(bytes.end(), b.begin(), b.begin() + BitmapBytes);
    bytes.push_back(0x0E);  // blue on yellow
    Bytes pair = bytes;
    pair.insert(pair.end(), bytes.begin(), bytes.end() - 1);
    pair.push_back(0x3E);  // white on black
    const auto picture = DecodeAs("scr", bytes);
    const auto pictures = DecodeAs("hrg", pair);
    ASSERT_EQ(picture.width, 512);
    ASSERT_EQ(picture.rowRepeat, 2);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 512; ++x) {
            const auto& source = (x / 8) % 2 ? b : a;
            const bool ink = testsupport::PixelOf(source.data(), (x / 16) * 8 + x % 8, y);
            ASSERT_EQ(picture.at(0, x, y), ink ? Bright(1) : Bright(6)) << x << "," << y;
            ASSERT_EQ(pictures.at(0, x, y), ink ? Bright(1) : Bright(6)) << x << "," << y;
            ASSERT_EQ(pictures.at(1, x, y), ink ? Bright(7) : Bright(0)) << x << "," << y;
        }
}

}  // namespace
