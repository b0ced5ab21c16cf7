// Character cells, fonts and the other one-of-a-kind layouts: .atr, .zxs,
// fonts, .ch$, .sev, .chx, .zxp, .flf and the tricolour .rgb and .3.

#include <gtest/gtest.h>

#include "modes/formats_test_support.h"
#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace {

using namespace formats_test;

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(Atr, EachCellACheckerboardWithPaperAtTheTopLeft) {
    Bytes bytes(768);
    bytes[0] = Attribute(1, 6, false, true);
    bytes[767] = Attribute(2, 5, true);
    const auto first = DecodeAs("atr", bytes), second = DecodeAs("atr", bytes, screen::FlashPhase::Second);
    EXPECT_EQ(first.at(0, 0, 0), Plain(6));
    EXPECT_EQ(first.at(0, 1, 0), Plain(1));
    EXPECT_EQ(first.at(0, 0, 1), Plain(1));
    EXPECT_EQ(first.at(0, 7, 7), Plain(6));
    EXPECT_EQ(second.at(0, 0, 0), Plain(1));
    EXPECT_EQ(first.at(0, 255, 191), Bright(5));
    EXPECT_EQ(first.at(0, 254, 191), Bright(2));
}

// A real screen's cells as a character screen: each of its first 112
// distinct cell patterns a glyph.
TEST(Zxs, CodesAndAttributesColumnByColumnThroughTheFont) {
    Bytes bytes(2452);
    PutText(bytes, 0, "ZX_SSCII");
    bytes[8] = 0x94;
    bytes[9] = 0x09;
    for (int g = 0; g < 112; ++g)
        for (int line = 0; line < 8; ++line)
            bytes[12 + 8 * g + line] = static_cast<std::uint8_t>(g * 7 + line * 31);
    for (int k = 0; k < 32; ++k)
        for (int r = 0; r < 24; ++r) {
            bytes[908 + 24 * k + r] = static_cast<std::uint8_t>((k * 24 + r) % 112);
            bytes[1676 + 24 * k + r] = Attribute(k % 8, r % 8, k == r);
        }
    const auto picture = DecodeAs("zxs", bytes);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            const int k = x / 8, r = y / 8, glyph = (k * 24 + r) % 112;
            const bool ink = (static_cast<std::uint8_t>(glyph * 7 + (y % 8) * 31) >> (7 - x % 8)) & 1;
            ASSERT_EQ(picture.at(0, x, y), screen::SpectrumColour(ink ? k % 8 : r % 8, k == r)) << x << "," << y;
        }
    bytes[908 + 24 * 31 + 23] = 112;
    EXPECT_NE(RefusalAs("zxs", bytes), "");
    bytes[908 + 24 * 31 + 23] = 0;
    bytes[0] = 'z';
    EXPECT_NE(RefusalAs("zxs", bytes), "");
}

// A font: the real screen's first 96 or 256 character cells' bytes.
TEST(Font, GlyphsThirtyTwoARowWhiteOnBlack) {
    const auto& real = testsupport::RealScreens()[8].bytes;
    for (std::size_t size : {768u, 2048u}) {
        Bytes bytes(real.begin(), real.begin() + size);
        const auto picture = DecodeAs("ch8", bytes);
        ASSERT_EQ(picture.height, static_cast<int>(size / 32));
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < 256; ++x) {
                const int glyph = (y / 8) * 32 + x / 8;
                const bool set = (bytes[8 * glyph + y % 8] >> (7 - x % 8)) & 1;
                ASSERT_EQ(picture.at(0, x, y), set ? Bright(7) : Plain(0)) << x << "," << y;
            }
    }
}

TEST(ChrDollar, CellsRowByRowAndASecondFrameAfterEachCell) {
    Bytes bytes(7 + 18 * 3 * 2);
    PutText(bytes, 0, "chr$");
    bytes[4] = 3;  // columns
    bytes[5] = 2;  // rows
    bytes[6] = 18;
    const std::size_t last = 7 + 18 * 5;  // cell (2, 1)
    bytes[last + 7] = 0x01;               // frame 1: bottom right pixel
    bytes[last + 8] = Attribute(3, 4);
    bytes[last + 9] = 0x80;  // frame 2: top left pixel
    bytes[last + 17] = Attribute(5, 6, true);
    bytes[7 + 8] = Attribute(1, 2);  // cell (0, 0), frame 1
    const auto picture = DecodeAs("CH$", bytes);
    ASSERT_EQ(picture.width, 24);
    ASSERT_EQ(picture.height, 16);
    ASSERT_EQ(picture.frames, 2);
    EXPECT_EQ(picture.at(0, 0, 0), Plain(2));
    EXPECT_EQ(picture.at(0, 23, 15), Plain(3));
    EXPECT_EQ(picture.at(0, 16, 8), Plain(4));
    EXPECT_EQ(picture.at(1, 16, 8), Bright(5));
    EXPECT_EQ(picture.at(1, 23, 15), Bright(6));
    bytes.push_back(0);
    EXPECT_EQ(RefusalAs("ch$", bytes), "no row");
    bytes.resize(bytes.size() - 10);
    EXPECT_NE(RefusalAs("ch$", bytes), "");  // 9 bytes short: the header's count disagrees
}

TEST(Sev, WidthAndHeightCutTheLastCells) {
    Bytes bytes(14 + 9 * 2 * 2 + 5);  // 12 x 10 pixels: 2 x 2 cells, and bytes after the picture
    PutText(bytes, 0, std::string("Sev\0", 4));
    bytes[6] = 1;
    bytes[10] = 12;
    bytes[12] = 10;
    bytes[14 + 27 + 1] = 0xFF;  // cell (1, 1): its second line
    bytes[14 + 27 + 8] = Attribute(4, 3);
    const auto picture = DecodeAs("sev", bytes);
    ASSERT_EQ(picture.width, 12);
    ASSERT_EQ(picture.height, 10);
    EXPECT_EQ(picture.at(0, 11, 9), Plain(4));
    EXPECT_EQ(picture.at(0, 8, 8), Plain(3));
    EXPECT_EQ(picture.at(0, 7, 9), Plain(0));
    bytes.resize(14 + 9 * 4 - 1);
    EXPECT_NE(RefusalAs("sev", bytes), "");
}

TEST(Chx, TilesSixteenARowInBoxesOfTheLargestOnACheckerboard) {
    Bytes bytes(517);
    PutText(bytes, 0, std::string("CHX\0\0", 5));
    const auto addTile = [&](int index, bool transparent, int columns, int rows) {
        const std::size_t at = bytes.size();
        bytes[5 + 2 * index] = static_cast<std::uint8_t>(at & 0xFF);
        bytes[6 + 2 * index] = static_cast<std::uint8_t>(at >> 8);
        bytes.push_back(transparent);
        bytes.push_back(static_cast<std::uint8_t>(columns));
        bytes.push_back(static_cast<std::uint8_t>(rows));
        return at + 3;
    };
    const std::size_t wide = addTile(0, false, 2, 1);
    bytes.resize(wide + 18);
    bytes[wide + 9] = 0x80;  // second cell: top left pixel
    bytes[wide + 17] = Attribute(2, 3);
    const std::size_t clear = addTile(17, true, 1, 2);  // second row of boxes, second box
    bytes.resize(clear + 16);
    bytes[clear + 15] = 0x01;
    const auto picture = DecodeAs("chx", bytes);
    ASSERT_EQ(picture.width, 16 * 16);
    ASSERT_EQ(picture.height, 16 * 16);
    EXPECT_EQ(picture.at(0, 8, 0), Plain(2));
    EXPECT_EQ(picture.at(0, 9, 0), Plain(3));
    EXPECT_EQ(picture.at(0, 0, 0), Plain(0));  // attribute 0
    EXPECT_EQ(picture.at(0, 0, 8), Plain(0));  // box below the tile: checkerboard, ink where x + y is even
    EXPECT_EQ(picture.at(0, 1, 8), Plain(7));
    EXPECT_EQ(picture.at(0, 16, 16), Plain(7));  // tile 17, transparent: black on white
    EXPECT_EQ(picture.at(0, 23, 31), Plain(0));
    EXPECT_EQ(picture.at(0, 24, 16), Plain(0));  // past the tile, in its box
    EXPECT_EQ(picture.at(0, 255, 255), Plain(0));
    bytes.pop_back();
    EXPECT_NE(RefusalAs("chx", bytes), "");  // the last tile runs past the end
}

// A real screen's top left 16 x 8 pixels as ZX-Paintbrush text, 8x8 and 8x1.
TEST(Zxp, PixelLinesAndHexAttributesAsTheScreenShows) {
    const auto& real = testsupport::RealScreens()[9].bytes;
    for (const char* end : {"\n", "\r\n"})
        for (int cellHeight : {8, 1}) {
            std::string text = std::string("ZX-Paintbrush image") + end + end;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 12; ++x)
                    text += testsupport::PixelOf(real.data(), x, y) ? '1' : (x % 2 ? '0' : '*');
                text += end;
            }
            text += end;
            char hex[8];
            for (int row = 0; row < 16 / cellHeight; ++row) {
                for (int k = 0; k < 2; ++k) {
                    const std::uint8_t attribute = real[testsupport::AttributeOffset(k, row * cellHeight / 8)];
                    std::snprintf(hex, sizeof hex, k ? " %02X" : "%02x",
                                  attribute ^ (cellHeight == 1 && row % 2 ? 0x3F : 0));
                    text += hex;
                }
                text += end;
            }
            const auto picture = DecodeAs("zxp", FromText(text));
            ASSERT_EQ(picture.width, 12);
            ASSERT_EQ(picture.height, 16);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 12; ++x) {
                    screen::ColourCode expected = ScreenColour(real.data(), x, y);
                    if (cellHeight == 1 && y % 2)
                        expected = screen::SpectrumColour(7 - screen::NumberOf(expected), screen::IsBright(expected));
                    ASSERT_EQ(picture.at(0, x, y), expected) << cellHeight << " " << x << "," << y;
                }
        }
}

TEST(Zxp, ALineOfSixtyFourHexBytesMakesItAUlaPlusPicture) {
    std::string text = "ZX-Paintbrush extended image\n\n10\n\n40\n\n";
    for (int i = 0; i < 64; ++i)
        text += (i ? " " : "") + std::string(1, "0123456789ABCDEF"[i / 16]) + "0123456789ABCDEF"[i % 16];
    const auto picture = DecodeAs("zxp", FromText(text + "\n"));
    EXPECT_EQ(picture.at(0, 0, 0), screen::UlaPlusColour(0x10));  // BRIGHT ink 0: entry 16
    EXPECT_EQ(picture.at(0, 1, 0), screen::UlaPlusColour(0x18));  // BRIGHT paper 0: entry 24
    EXPECT_NE(RefusalAs("zxp", FromText("ZX-Paintbrush image\n\n12\n\n40\n")), "");
    EXPECT_NE(RefusalAs("zxp", FromText("ZX-Paintbrush image\n\n10\n\n40 41\n")), "");
}

TEST(Fluff, OneBytePerPixelBrightTimesSixteenPlusColour) {
    Bytes bytes(49165 + 7);
    PutText(bytes, 0, "FLUFF64");
    bytes[11] = 28;
    bytes[12] = 14;
    const std::uint8_t values[] = {5, 21, 13, 63, 64, 255};
    const screen::ColourCode expected[] = {Plain(5), Bright(5), Plain(5), Bright(7), Plain(0), Plain(0)};
    for (int i = 0; i < 6; ++i)
        bytes[13 + 256 * 191 + 250 + i] = values[i];
    const auto picture = DecodeAs("flf", bytes);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(picture.at(0, 250 + i, 191), expected[i]) << int(values[i]);
    bytes[11] = 27;
    EXPECT_NE(RefusalAs("flf", bytes), "");
}

TEST(Tricolour, ThreeBitmapsOneChannelEachInTheirOrder) {
    const auto& screens = testsupport::RealScreens();
    Bytes bytes;
    for (int i = 0; i < 3; ++i)
        bytes.insert(bytes.end(), screens[i].bytes.begin(), screens[i].bytes.begin() + BitmapBytes);
    const auto rgb = DecodeAs("rgb", bytes), three = DecodeAs("3", bytes);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool first = testsupport::PixelOf(screens[0].bytes.data(), x, y);
            const bool second = testsupport::PixelOf(screens[1].bytes.data(), x, y);
            const bool third = testsupport::PixelOf(screens[2].bytes.data(), x, y);
            // colour number: blue bit 0, red bit 1, green bit 2
            ASSERT_EQ(rgb.at(0, x, y), Bright(first * 2 + second * 4 + third)) << x << "," << y;
            ASSERT_EQ(three.at(0, x, y), Bright(first + second * 2 + third * 4)) << x << "," << y;
        }
}

}  // namespace
