#include "modes/classic.h"

#include <gtest/gtest.h>

#include "modes/picture_modes.h"
#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"

namespace {

using screen::ColourCode;
using screen::FlashPhase;
using screen::SpectrumColour;
using testsupport::ScreenBytes;

screen::DecodedPicture Decoded(const ScreenBytes& bytes, FlashPhase phase = FlashPhase::First) {
    auto decoded = modes::DecodeClassic(bytes, phase);
    EXPECT_TRUE(decoded.ok());
    return std::move(decoded).value();
}

// INK 2 on PAPER 5 with BRIGHT and FLASH in cell (31, 23), a pixel set at its
// bottom right; cell (0, 0) INK 1 PAPER 6 with a pixel at the top left.
ScreenBytes HandMade() {
    ScreenBytes bytes{};
    bytes[testsupport::AttributeOffset(0, 0)] = 6 << 3 | 1;
    bytes[testsupport::AttributeOffset(31, 23)] = 0x80 | 0x40 | 5 << 3 | 2;
    testsupport::SetPixel(bytes.data(), 0, 0);
    testsupport::SetPixel(bytes.data(), 255, 191);
    return bytes;
}

TEST(DecodeClassic, InkAndPaperAtTheCornersOfTheirCells) {
    const screen::DecodedPicture picture = Decoded(HandMade());
    ASSERT_EQ(picture.width, 256);
    ASSERT_EQ(picture.height, 192);
    EXPECT_EQ(picture.at(0, 0, 0), SpectrumColour(1, false));
    EXPECT_EQ(picture.at(0, 1, 0), SpectrumColour(6, false));
    EXPECT_EQ(picture.at(0, 7, 7), SpectrumColour(6, false));
    EXPECT_EQ(picture.at(0, 8, 0), SpectrumColour(0, false));  // the next cell: attribute 0
    EXPECT_EQ(picture.at(0, 255, 191), SpectrumColour(2, true));
    EXPECT_EQ(picture.at(0, 248, 184), SpectrumColour(5, true));
    EXPECT_EQ(picture.at(0, 247, 191), SpectrumColour(0, false));
}

TEST(DecodeClassic, SecondFlashPhaseSwapsOnlyFlashCells) {
    const screen::DecodedPicture second = Decoded(HandMade(), FlashPhase::Second);
    EXPECT_EQ(second.at(0, 255, 191), SpectrumColour(5, true));
    EXPECT_EQ(second.at(0, 248, 184), SpectrumColour(2, true));
    EXPECT_EQ(second.at(0, 0, 0), SpectrumColour(1, false));  // no FLASH: unchanged
    EXPECT_EQ(second.at(0, 1, 0), SpectrumColour(6, false));
}

TEST(DecodeClassic, TheByteAfterAScreenShowsNothing) {
    const ScreenBytes screen = testsupport::RealScreens().front().bytes;
    std::vector<std::uint8_t> longer(screen.begin(), screen.end());
    longer.push_back(0xFF);
    EXPECT_EQ(modes::DecodeClassic(longer, FlashPhase::First)->pixels, Decoded(screen).pixels);
}

// Encoding what a screen shows gives a screen that shows the same, for every
// real screen (its bytes may differ: a cell's INK and PAPER may swap places).
TEST(EncodeClassic, ShowsWhatItWasGiven) {
    for (const auto& real : testsupport::RealScreens()) {
        const screen::DecodedPicture picture = Decoded(real.bytes);
        auto encoded = modes::EncodeClassic(picture);
        ASSERT_TRUE(encoded.ok()) << real.name << ": " << encoded.error().Message();
        EXPECT_EQ(modes::DecodeClassic(*encoded, FlashPhase::First)->pixels, picture.pixels) << real.name;
    }
}

TEST(EncodeClassic, PaperIsTheCommonerColourAndBrightFollowsTheColours) {
    screen::DecodedPicture picture = Decoded(ScreenBytes{});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            picture.at(0, x, y) = x < 3 ? SpectrumColour(2, true) : SpectrumColour(0, false);
    auto encoded = modes::EncodeClassic(picture);
    ASSERT_TRUE(encoded.ok());
    EXPECT_EQ((*encoded)[testsupport::AttributeOffset(0, 0)], 0x40 | 0 << 3 | 2);
    EXPECT_EQ((*encoded)[testsupport::PixelOffset(0, 5)], 0xE0);
    // A cell of one colour: INK is its complement.
    EXPECT_EQ((*encoded)[testsupport::AttributeOffset(1, 0)], 0 << 3 | 7);
}

TEST(EncodeClassic, RefusesWhatNoAttributeShows) {
    struct Case {
        ColourCode a, b, c;
        const char* detail;
    };
    const Case cases[] = {
        {SpectrumColour(1, false), SpectrumColour(2, false), SpectrumColour(3, false), "cell 3,2 has 4 colours"},
        {SpectrumColour(1, false), SpectrumColour(1, true), SpectrumColour(1, false),
         "cell 3,2 has colours with and without BRIGHT"},
        {SpectrumColour(1, false), screen::UlaPlusColour(0x1C), SpectrumColour(1, false),
         "cell 3,2 has a colour the 15 do not have"},
    };
    for (const Case& c : cases) {
        screen::DecodedPicture picture = Decoded(ScreenBytes{});
        picture.at(0, 24, 16) = c.a;
        picture.at(0, 31, 16) = c.b;
        picture.at(0, 24, 23) = c.c;
        auto encoded = modes::EncodeClassic(picture);
        ASSERT_FALSE(encoded.ok()) << c.detail;
        EXPECT_EQ(encoded.error().detail, c.detail);
    }
    screen::DecodedPicture twoFrames = Decoded(ScreenBytes{});
    twoFrames.frames = 2;
    twoFrames.pixels.resize(twoFrames.pixels.size() * 2);
    EXPECT_FALSE(modes::EncodeClassic(twoFrames).ok());
}

TEST(BitmapOnly, SetBitsBrightWhiteClearBitsBlackAndBackExactly) {
    const ScreenBytes& real = testsupport::RealScreens().front().bytes;
    const std::vector<std::uint8_t> bitmap(real.begin(), real.begin() + 6144);
    auto picture = modes::DecodeBitmapOnly(bitmap, FlashPhase::First);
    ASSERT_TRUE(picture.ok());
    for (int y : {0, 1, 7, 8, 63, 64, 191})
        for (int x : {0, 7, 8, 128, 255})
            EXPECT_EQ(picture->at(0, x, y),
                      testsupport::PixelOf(real.data(), x, y) ? SpectrumColour(7, true) : SpectrumColour(0, false))
                << x << "," << y;
    auto back = modes::EncodeBitmapOnly(*picture);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, bitmap);
    picture->at(0, 9, 9) = SpectrumColour(7, false);
    EXPECT_FALSE(modes::EncodeBitmapOnly(*picture).ok());
}

}  // namespace
