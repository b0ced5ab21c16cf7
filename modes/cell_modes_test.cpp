// The bitmap-and-attribute modes: .scr with ULAplus and Timex hi-colour,
// gigascreen .img, .mlt, .mc and .ifl, each against files built by hand and
// from the real screens; and their writers, back to the same bytes.

#include <gtest/gtest.h>

#include <cstring>

#include "modes/cell_formats.h"
#include "modes/encoders.h"
#include "modes/formats_test_support.h"
#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace {

using namespace formats_test;
using screen::FlashPhase;
using screen::UlaPlusColour;

// A ULAplus screen: cell (0, 0) FLASH and BRIGHT (group 3), cell (31, 23)
// group 0; ink pixels at the top left and bottom right.
Bytes UlaPlusScreen(std::size_t paletteAt, bool timex) {
    Bytes bytes(paletteAt + 64);
    const auto attributeOf = [&](int x, int y) -> std::uint8_t& {
        return bytes[timex ? BitmapBytes + InterleavedLine(y) + x / 8 : testsupport::AttributeOffset(x / 8, y / 8)];
    };
    testsupport::SetPixel(bytes.data(), 0, 0);
    testsupport::SetPixel(bytes.data(), 255, 191);
    for (int y = 0; y < 8; ++y) {
        attributeOf(0, y) = Attribute(2, 5, true, true);
        attributeOf(255, 184 + y) = Attribute(7, 1);
    }
    bytes[paletteAt + 48 + 2] = 0xAB;      // FLASH BRIGHT ink 2
    bytes[paletteAt + 48 + 8 + 5] = 0xCD;  // FLASH BRIGHT paper 5
    bytes[paletteAt + 7] = 0x12;           // plain ink 7
    bytes[paletteAt + 8 + 1] = 0x34;       // plain paper 1
    return bytes;
}

TEST(UlaPlus, PaletteEntriesByFlashBrightInkAndPaperAndNothingFlashes) {
    for (auto [size, timex] : {std::pair{6976, false}, std::pair{12352, true}})
        for (FlashPhase phase : {FlashPhase::First, FlashPhase::Second}) {
            const auto picture = DecodeAs("scr", UlaPlusScreen(size - 64, timex), phase);
            ASSERT_EQ(picture.width, 256);
            EXPECT_EQ(picture.at(0, 0, 0), UlaPlusColour(0xAB)) << size;
            EXPECT_EQ(picture.at(0, 1, 0), UlaPlusColour(0xCD)) << size;
            EXPECT_EQ(picture.at(0, 7, 7), UlaPlusColour(0xCD)) << size;
            EXPECT_EQ(picture.at(0, 255, 191), UlaPlusColour(0x12)) << size;
            EXPECT_EQ(picture.at(0, 248, 184), UlaPlusColour(0x34)) << size;
            EXPECT_EQ(picture.at(0, 8, 0), UlaPlusColour(0)) << size;  // attribute 0: plain paper 0, entry 8
        }
}

TEST(TimexHiColour, EachLineOfACellHasItsOwnAttributeAndFlashIsIgnored) {
    Bytes bytes(12288);
    for (int y = 0; y < 192; ++y)
        bytes[BitmapBytes + InterleavedLine(y) + 31] = Attribute(y % 8, 7 - y % 8, y % 2, true);
    testsupport::SetPixel(bytes.data(), 255, 1);
    for (FlashPhase phase : {FlashPhase::First, FlashPhase::Second}) {
        const auto picture = DecodeAs("SCR", bytes, phase);
        EXPECT_EQ(picture.at(0, 255, 0), Plain(7));
        EXPECT_EQ(picture.at(0, 255, 1), Bright(1));
        EXPECT_EQ(picture.at(0, 254, 1), Bright(6));
        EXPECT_EQ(picture.at(0, 248, 190), Plain(1));
        EXPECT_EQ(picture.at(0, 248, 191), Bright(0));
    }
}

TEST(Multicolour, LinesAttributesAndBitmapOrderOfMltMcIfl) {
    struct Case {
        const char* extension;
        std::size_t size;
        int cellHeight;
        bool linear;
    };
    for (const Case& c : {Case{"mlt", 12288, 1, false}, Case{"mc", 12288, 1, true}, Case{"ifl", 9216, 2, false}}) {
        Bytes bytes(c.size);
        for (int y = 0; y < 192; y += c.cellHeight)
            for (int k = 0; k < 32; ++k)
                bytes[BitmapBytes + 32 * (y / c.cellHeight) + k] = Attribute((y / c.cellHeight) % 8, k % 8, k == 31);
        for (int y : {0, 1, 2, 9, 191}) {  // pixel (9, y) and the last of each line
            const int line = c.linear ? LinearLine(y) : InterleavedLine(y);
            bytes[line + 1] |= 0x40;
            bytes[line + 31] |= 0x01;
        }
        const auto picture = DecodeAs(c.extension, bytes);
        for (int y : {0, 1, 2, 9, 191}) {
            const int row = y / c.cellHeight;
            EXPECT_EQ(picture.at(0, 9, y), Plain(row % 8)) << c.extension << " " << y;
            EXPECT_EQ(picture.at(0, 8, y), Plain(1)) << c.extension << " " << y;
            EXPECT_EQ(picture.at(0, 255, y), Bright(row % 8)) << c.extension << " " << y;
            EXPECT_EQ(picture.at(0, 254, y), Bright(7)) << c.extension << " " << y;
        }
    }
}

// A real screen with its attributes changed on the odd lines of every cell,
// as .mlt, .mc and .ifl, drawn pixel for pixel as the screen's oracle says.
TEST(Multicolour, RealScreensWithChangedLines) {
    for (const auto& real : testsupport::RealScreens()) {
        Bytes mlt(12288), mc(12288), ifl(9216);
        std::copy_n(real.bytes.begin(), BitmapBytes, mlt.begin());
        std::copy_n(real.bytes.begin(), BitmapBytes, ifl.begin());
        for (int y = 0; y < 192; ++y) {
            std::copy_n(real.bytes.begin() + InterleavedLine(y), 32, mc.begin() + LinearLine(y));
            for (int k = 0; k < 32; ++k) {
                const std::uint8_t attribute = real.bytes[testsupport::AttributeOffset(k, y / 8)];
                const std::uint8_t changed = (y / 2) % 2 ? attribute ^ 0x3F : attribute;
                mlt[BitmapBytes + 32 * y + k] = mc[BitmapBytes + 32 * y + k] = changed;
                ifl[BitmapBytes + 32 * (y / 2) + k] = changed;
            }
        }
        const auto a = DecodeAs("mlt", mlt), b = DecodeAs("mc", mc), c = DecodeAs("ifl", ifl);
        for (int y = 0; y < 192; ++y)
            for (int x = 0; x < 256; ++x) {
                screen::ColourCode expected = ScreenColour(real.bytes.data(), x, y);
                if ((y / 2) % 2)
                    expected = screen::SpectrumColour(7 - screen::NumberOf(expected), screen::IsBright(expected));
                ASSERT_EQ(a.at(0, x, y), expected) << real.name << " mlt " << x << "," << y;
                ASSERT_EQ(b.at(0, x, y), expected) << real.name << " mc " << x << "," << y;
                ASSERT_EQ(c.at(0, x, y), expected) << real.name << " ifl " << x << "," << y;
            }
    }
}

// Two real screens as one gigascreen: each frame is its screen, FLASH and all.
TEST(Gigascreen, FramesAreTheTwoScreens) {
    const auto& screens = testsupport::RealScreens();
    Bytes bytes(screens[0].bytes.begin(), screens[0].bytes.end());
    bytes.insert(bytes.end(), screens[1].bytes.begin(), screens[1].bytes.end());
    for (FlashPhase phase : {FlashPhase::First, FlashPhase::Second}) {
        const auto picture = DecodeAs("img", bytes, phase);
        ASSERT_EQ(picture.frames, 2);
        for (int frame = 0; frame < 2; ++frame)
            for (int y = 0; y < 192; ++y)
                for (int x = 0; x < 256; ++x)
                    ASSERT_EQ(picture.at(frame, x, y), ScreenColour(screens[frame].bytes.data(), x, y, phase))
                        << frame << " " << x << "," << y;
    }
}

// A real screen with a palette: every pixel its cell's entry.
TEST(UlaPlus, RealScreenWithAPalette) {
    const auto& real = testsupport::RealScreens()[2];
    Bytes bytes(real.bytes.begin(), real.bytes.end());
    for (int i = 0; i < 64; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    const auto picture = DecodeAs("scr", bytes);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x) {
            const std::uint8_t attribute = real.bytes[testsupport::AttributeOffset(x / 8, y / 8)];
            const int group = (attribute >> 6) * 16;
            const int entry = testsupport::PixelOf(real.bytes.data(), x, y) ? group + (attribute & 7)
                                                                            : group + 8 + ((attribute >> 3) & 7);
            ASSERT_EQ(picture.at(0, x, y), UlaPlusColour(bytes[ScreenBytes + entry])) << x << "," << y;
        }
}

}  // namespace
