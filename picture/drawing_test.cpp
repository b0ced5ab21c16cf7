#include "picture/drawing.h"

#include <cmath>

#include <gtest/gtest.h>

#include "picture/palettes.h"

namespace {

using picture::Draw;
using picture::DrawFrame;
using picture::Rgb;
using screen::ColourCode;
using screen::DecodedPicture;
using screen::SpectrumColour;

DecodedPicture Filled(int width, int height, int frames, ColourCode code, int rowRepeat = 1) {
    DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.frames = frames;
    picture.rowRepeat = rowRepeat;
    picture.pixels.assign(static_cast<std::size_t>(frames) * width * height, code);
    return picture;
}

Rgb At(const picture::Image& image, int x, int y) {
    const picture::RgbPicture rgb = picture::ToRgb(image);
    return rgb.pixels[static_cast<std::size_t>(y) * rgb.width + x];
}

// The sRGB level of a linear value, by the standard's formula, apart from
// the rule's own tables.
int SrgbOf(double linear) {
    int best = 0;
    double bestGap = 2;
    for (int v = 0; v < 256; ++v) {
        const double e = v / 255.0;
        const double l = e <= 0.04045 ? e / 12.92 : std::pow((e + 0.055) / 1.055, 2.4);
        if (std::abs(l - linear) < bestGap) {
            bestGap = std::abs(l - linear);
            best = v;
        }
    }
    return best;
}

// Black and bright white shown in turn are seen as half the light: 188, not
// the 128 an average of the sRGB values would give.
TEST(Draw, FramesAreAveragedInLinearLight) {
    DecodedPicture picture = Filled(4, 2, 2, SpectrumColour(0, false));
    for (int x = 0; x < 4; ++x)
        picture.at(1, x, 0) = SpectrumColour(7, true);
    picture.at(1, 1, 1) = SpectrumColour(2, true);  // red with black
    picture.at(0, 2, 1) = screen::UlaPlusColour(0x03);
    picture.at(1, 2, 1) = screen::UlaPlusColour(0xE0);  // ULAplus blue with green
    const picture::Image still = Draw(picture, {});
    const auto grey = static_cast<std::uint8_t>(SrgbOf(0.5));
    ASSERT_EQ(grey, 188);
    EXPECT_EQ(At(still, 0, 0), (Rgb{grey, grey, grey}));
    EXPECT_EQ(At(still, 3, 0), (Rgb{grey, grey, grey}));
    EXPECT_EQ(At(still, 1, 1), (Rgb{grey, 0, 0}));
    EXPECT_EQ(At(still, 2, 1), (Rgb{0, grey, grey}));
    EXPECT_EQ(At(still, 0, 1), (Rgb{0, 0, 0}));
}

// Each frame drawn alone shows its own pixels, and all frames share one
// palette so that an animation of them can keep it.
TEST(DrawFrame, ShowsThatFrameAloneInTheSharedPalette) {
    DecodedPicture picture = Filled(2, 1, 2, SpectrumColour(1, false));
    picture.at(1, 0, 0) = SpectrumColour(6, true);
    picture.at(0, 1, 0) = screen::UlaPlusColour(0x1C);
    const auto first = std::get<picture::IndexedPicture>(DrawFrame(picture, 0, {}));
    const auto second = std::get<picture::IndexedPicture>(DrawFrame(picture, 1, {}));
    EXPECT_EQ(first.palette, second.palette);
    EXPECT_EQ(At(first, 0, 0), (Rgb{0, 0, 127}));
    EXPECT_EQ(At(first, 1, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(second, 0, 0), (Rgb{255, 255, 0}));
    EXPECT_EQ(At(second, 1, 0), (Rgb{0, 0, 127}));
}

// The named palettes change the Spectrum's colours without BRIGHT alone.
TEST(Draw, PaletteLevelsApplyToTheFifteenColoursOnly) {
    DecodedPicture picture = Filled(4, 1, 1, SpectrumColour(3, false));
    picture.at(0, 1, 0) = SpectrumColour(3, true);
    picture.at(0, 2, 0) = screen::UlaPlusColour(0x24);
    picture.at(0, 3, 0) = screen::UlaPlusColour(0x02);
    for (const picture::NamedPalette& named : picture::Palettes()) {
        const picture::Image image = Draw(picture, {1, named.levels});
        const std::uint8_t level = named.levels.normalLevel;
        EXPECT_EQ(At(image, 0, 0), (Rgb{level, 0, level})) << named.name;
        EXPECT_EQ(At(image, 1, 0), (Rgb{255, 0, 255})) << named.name;
        EXPECT_EQ(At(image, 2, 0), (Rgb{36, 36, 0})) << named.name;
        EXPECT_EQ(At(image, 3, 0), (Rgb{0, 0, 182})) << named.name;
    }
}

// A one-frame picture of the 15 colours always has the same palette: the
// sixteen codes with black once; the grid's blue is bright blue.
TEST(Draw, FifteenColourPictureHasTheFixedPalette) {
    const auto image = std::get<picture::IndexedPicture>(Draw(Filled(8, 8, 1, SpectrumColour(5, false)), {}));
    ASSERT_EQ(image.palette.size(), 15u);
    EXPECT_EQ(image.palette[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(image.palette[5], (Rgb{0, 127, 127}));
    EXPECT_EQ(image.palette[8], (Rgb{0, 0, 255}));  // code 9: code 8 is black again
    EXPECT_EQ(image.palette[14], (Rgb{255, 255, 255}));
}

TEST(Draw, ScaleAndRowRepeatMakeBlocks) {
    DecodedPicture picture = Filled(3, 2, 1, SpectrumColour(0, false), 2);
    picture.at(0, 2, 1) = SpectrumColour(4, true);
    const picture::RgbPicture image = picture::ToRgb(Draw(picture, {3}));
    ASSERT_EQ(image.width, 9);
    ASSERT_EQ(image.height, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(image.pixels[static_cast<std::size_t>(y) * 9 + x],
                      x >= 6 && y >= 6 ? (Rgb{0, 255, 0}) : (Rgb{0, 0, 0}))
                << x << "," << y;
}

TEST(Draw, GridRunsAlongTheLeftAndTopEdgeOfEveryCell) {
    const picture::RgbPicture image = picture::ToRgb(
        Draw(Filled(16, 16, 1, SpectrumColour(2, false)), {2, picture::WindowLevels, picture::Grid::On}));
    const Rgb red{127, 0, 0};
    EXPECT_EQ(image.pixels[0], picture::GridColour);
    EXPECT_EQ(image.pixels[16], picture::GridColour);            // x 16, y 0
    EXPECT_EQ(image.pixels[17 * 32 + 16], picture::GridColour);  // x 16, y 17
    EXPECT_EQ(image.pixels[17 * 32 + 17], red);
    EXPECT_EQ(image.pixels[31 * 32 + 31], red);  // no edge along the right and bottom
}

// More mixes than a palette holds are drawn in red, green and blue, each
// still the frames' average.
TEST(Draw, MixesBeyondAPaletteComeAsRedGreenBlue) {
    DecodedPicture picture = Filled(256, 2, 2, SpectrumColour(0, false));
    for (int x = 0; x < 256; ++x) {
        picture.at(0, x, 0) = screen::UlaPlusColour(static_cast<std::uint8_t>(x));
        picture.at(1, x, 0) = screen::UlaPlusColour(static_cast<std::uint8_t>(255 - x));
        picture.at(0, x, 1) = SpectrumColour(7, true);
    }
    const picture::Image image = Draw(picture, {});
    ASSERT_TRUE(std::holds_alternative<picture::RgbPicture>(image));
    EXPECT_EQ(At(image, 0, 0), (Rgb{188, 188, 188}));  // black with white
    EXPECT_EQ(At(image, 5, 1), (Rgb{188, 188, 188}));
}

}  // namespace
