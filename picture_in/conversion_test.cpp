#include "picture_in/conversion.h"

#include <random>

#include <gtest/gtest.h>

#include "picture_in/fitting.h"
#include "picture_in/import.h"
#include "picture_in/test_pictures.h"
#include "picture_in/screen_writer.h"
#include "screen/screen_layout.h"
#include "testsupport/pixel_oracle.h"

namespace picture_in {
namespace {

using screen::ScreenHeight;
using screen::ScreenWidth;

constexpr std::size_t PixelCount = static_cast<std::size_t>(ScreenWidth) * ScreenHeight;
constexpr Dither EveryMode[] = {Dither::None, Dither::FloydSteinberg, Dither::Jarvis, Dither::Bayer, Dither::Refined};

std::vector<LinearRgb> RandomPicture(std::mt19937& random, int levels) {
    std::uniform_int_distribution<int> level(0, levels - 1);
    std::vector<LinearRgb> pixels(PixelCount);
    for (LinearRgb& p : pixels)
        p = Linear(Rgb{static_cast<std::uint8_t>(level(random) * 255 / (levels - 1)),
                       static_cast<std::uint8_t>(level(random) * 255 / (levels - 1)),
                       static_cast<std::uint8_t>(level(random) * 255 / (levels - 1))});
    return pixels;
}

// Every (ink, paper, BRIGHT) the rule allows, each pixel the nearer colour.
float BruteForceLeast(const CellPixels& cell, const ScreenColours& colours, Bright bright) {
    float least = -1;
    for (int b = 0; b < 2; ++b) {
        if ((bright == Bright::Never && b == 1) || (bright == Bright::Always && b == 0))
            continue;
        for (int ink = 0; ink < 8; ++ink)
            for (int paper = 0; paper < 8; ++paper) {
                float sum = 0;
                for (const LinearRgb& p : cell)
                    sum += std::min(Distance2(p, colours.linear[ColourIndex(ink, b)]),
                                    Distance2(p, colours.linear[ColourIndex(paper, b)]));
                if (least < 0 || sum < least)
                    least = sum;
            }
    }
    return least;
}

std::vector<LinearRgb> Photograph(const char* name) {
    const PreparedResult result = Prepare(testing::ReadFile(std::string(SCRLAB_PICTURES_DIR "/") + name), {}, {});
    return result.prepared ? TargetOf(*result.prepared, {}) : std::vector<LinearRgb>{};
}

TEST(ConvertExact, EachCellCostsWhatTheBruteForceSearchFinds) {
    std::mt19937 random(17);
    for (render::Palette palette : {render::WindowPalette, render::Palette{205, 255}})
        for (int source : {2, 3, 256, 0, 1}) {  // random levels (few make many ties), then photographs
            const ScreenColours colours = ColoursOf(palette);
            const std::vector<LinearRgb> pixels = source == 0   ? Photograph("chelsea.jpg")
                                                  : source == 1 ? Photograph("logo.png")
                                                                : RandomPicture(random, source);
            ASSERT_EQ(pixels.size(), PixelCount);
            for (Bright bright : {Bright::Auto, Bright::Never, Bright::Always}) {
                const Drawing drawing = ConvertExact(Target{pixels, colours, bright});
                for (int row = 0; row < screen::CellRows; ++row)
                    for (int column = 0; column < screen::CellColumns; ++column) {
                        const CellPixels cell = PixelsOfCell(pixels, column, row);
                        float drawn = 0;
                        for (int i = 0; i < 64; ++i) {
                            const std::size_t at =
                                static_cast<std::size_t>(row * 8 + i / 8) * ScreenWidth + column * 8 + i % 8;
                            drawn += Distance2(cell[i], colours.linear[drawing[at]]);
                        }
                        ASSERT_EQ(drawn, BruteForceLeast(cell, colours, bright))
                            << "cell " << column << "," << row << " source " << source;
                    }
            }
        }
}

// A random screen's picture as the view draws it, and its colour indices.
struct ScreenPicture {
    ScreenBytes bytes;
    std::vector<LinearRgb> pixels;
};

ScreenPicture RandomScreen(std::mt19937& random, const ScreenColours& colours) {
    ScreenPicture s;
    for (std::uint8_t& b : s.bytes)
        b = static_cast<std::uint8_t>(random() & 0x7F);  // no FLASH
    s.pixels.resize(PixelCount);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            const std::uint8_t attr = s.bytes[testsupport::AttributeOffset(x / 8, y / 8)];
            const bool ink = testsupport::PixelOf(s.bytes.data(), x, y);
            const int number = ink ? screen::inkOf(attr) : screen::paperOf(attr);
            s.pixels[static_cast<std::size_t>(y) * ScreenWidth + x] =
                colours.linear[ColourIndex(number, screen::isBright(attr) ? 1 : 0)];
        }
    return s;
}

TEST(Convert, EveryModeGivesAnExactPictureBackExactly) {
    std::mt19937 random(6912);
    const ScreenColours colours = ColoursOf(render::Palette{192, 255});
    for (int round = 0; round < 3; ++round) {
        const ScreenPicture original = RandomScreen(random, colours);
        for (Dither dither : EveryMode) {
            const Drawing drawing = Convert(Target{original.pixels, colours, Bright::Auto}, dither);
            for (std::size_t i = 0; i < PixelCount; ++i)
                ASSERT_EQ(Distance2(colours.linear[drawing[i]], original.pixels[i]), 0.0f)
                    << "mode " << static_cast<int>(dither) << " pixel " << i;
        }
    }
}

TEST(Convert, EveryModeKeepsTheRuleAndTheBrightChoice) {
    std::mt19937 random(3);
    const ScreenColours colours = ColoursOf(render::WindowPalette);
    const std::vector<LinearRgb> pixels = RandomPicture(random, 256);
    for (Dither dither : EveryMode)
        for (Bright bright : {Bright::Auto, Bright::Never, Bright::Always}) {
            const Drawing drawing = Convert(Target{pixels, colours, bright}, dither);
            for (int row = 0; row < screen::CellRows; ++row)
                for (int column = 0; column < screen::CellColumns; ++column) {
                    std::vector<int> seen;
                    int brights = 0;
                    for (int i = 0; i < 64; ++i) {
                        const int index =
                            drawing[static_cast<std::size_t>(row * 8 + i / 8) * ScreenWidth + column * 8 + i % 8];
                        if (std::find(seen.begin(), seen.end(), NumberOf(index)) == seen.end())
                            seen.push_back(NumberOf(index));
                        brights |= NumberOf(index) ? 1 << BrightOf(index) : 0;
                    }
                    ASSERT_LE(seen.size(), 2u) << column << "," << row;
                    ASSERT_NE(brights, 3) << column << "," << row;
                    if (bright == Bright::Never) {
                        ASSERT_NE(brights, 2);
                    }
                    if (bright == Bright::Always) {
                        ASSERT_NE(brights, 1);
                    }
                }
        }
}

Drawing OneCell(std::initializer_list<std::pair<int, int>> runs) {
    Drawing drawing(PixelCount, 0);
    int i = 0;
    for (auto [index, count] : runs)
        for (int n = 0; n < count; ++n, ++i)
            drawing[static_cast<std::size_t>(i / 8) * ScreenWidth + i % 8] = static_cast<std::uint8_t>(index);
    return drawing;
}

TEST(ScreenOf, PaperIsTheCommonerColourAndOneColourCellsGetTheOppositeInk) {
    struct Case {
        Drawing drawing;
        Bright bright;
        std::uint8_t attribute;
        std::uint8_t firstRow;
    };
    const Case cases[] = {
        {OneCell({{2, 8}, {5, 56}}), Bright::Auto, 5 << 3 | 2, 0xFF},            // more 5: paper 5
        {OneCell({{13, 32}, {10, 32}}), Bright::Auto, 0x40 | 2 << 3 | 5, 0xFF},  // equal: lower is paper
        {OneCell({{0, 64}}), Bright::Auto, 7, 0},                                // black: ink 7, not bright
        {OneCell({{8, 64}}), Bright::Auto, 7, 0},                                // bright black is black
        {OneCell({{0, 64}}), Bright::Always, 0x40 | 7, 0},
        {OneCell({{14, 64}}), Bright::Auto, 0x40 | 6 << 3 | 1, 0},
        {OneCell({{0, 60}, {9, 4}}), Bright::Auto, 0x40 | 1, 0},  // black and bright blue
    };
    for (const Case& c : cases) {
        const ScreenBytes bytes = ScreenOf(c.drawing, c.bright);
        EXPECT_EQ(bytes[testsupport::AttributeOffset(0, 0)], c.attribute);
        EXPECT_EQ(bytes[testsupport::PixelOffset(0, 0)], c.firstRow);
        EXPECT_EQ(bytes[testsupport::AttributeOffset(1, 0)],
                  c.bright == Bright::Always ? 0x47 : 7);  // the rest is black
    }
}

TEST(ClashingCells, NamesExactlyTheCellsNoAttributeCanShow) {
    const ScreenColours colours = ColoursOf(render::WindowPalette);
    Picture picture{ScreenWidth, ScreenHeight, std::vector<Rgb>(PixelCount, colours.srgb[9])};
    picture.pixels[static_cast<std::size_t>(8 * ScreenWidth + 3 * 8)] = colours.srgb[2];   // (3,1): two colours, fine
    picture.pixels[static_cast<std::size_t>(9 * ScreenWidth + 3 * 8)] = colours.srgb[0];   // (3,1): black too, fine
    picture.pixels[static_cast<std::size_t>(16 * ScreenWidth + 5 * 8)] = colours.srgb[1];  // (5,2): blue both ways
    picture.pixels[static_cast<std::size_t>(191 * ScreenWidth + 255)] = Rgb{1, 2, 3};  // (31,23): not a screen colour
    EXPECT_EQ(ClashList(ClashingCells(picture, colours)), "(3,1) #7F0000 #0000FF #000000, (5,2) #00007F #0000FF, "
                                                          "(31,23) #0000FF #010203");
}

TEST(ReducedExactly, OnlyWholeScalesOfUniformBlocks) {
    const ScreenColours colours = ColoursOf(render::WindowPalette);
    Picture big{3 * ScreenWidth, 3 * ScreenHeight, {}};
    for (int y = 0; y < big.height; ++y)
        for (int x = 0; x < big.width; ++x)
            big.pixels.push_back(colours.srgb[(x / 3 + y / 3) % 16]);
    const auto reduced = ReducedExactly(big);
    ASSERT_TRUE(reduced);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
            ASSERT_EQ(reduced->at(x, y), colours.srgb[(x + y) % 16]);
    big.pixels[static_cast<std::size_t>(5 * big.width + 7)] = Rgb{1, 1, 1};  // one pixel off in block (2,1)
    EXPECT_FALSE(ReducedExactly(big));
    EXPECT_FALSE(
        ReducedExactly(Picture{9 * ScreenWidth, 9 * ScreenHeight, std::vector<Rgb>(81 * PixelCount, Rgb{0, 0, 0})}));
}

TEST(Fitted, ContainAveragesInLinearLightAndBordersInTheBackground) {
    // 512 x 96 of black and white columns: 256 x 48 of linear half grey, centred.
    Picture stripes{512, 96, {}};
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 512; ++x)
            stripes.pixels.push_back(x % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0});
    const std::vector<LinearRgb> fitted = Fitted(stripes, Fit::Contain, Rgb{255, 0, 0});
    for (int y = 0; y < ScreenHeight; ++y) {
        const LinearRgb p = fitted[static_cast<std::size_t>(y) * ScreenWidth + 100];
        const bool inside = y >= 72 && y < 120;
        ASSERT_NEAR(p.red, inside ? 0.5f : 1.0f, 1e-5) << y;
        ASSERT_NEAR(p.green, inside ? 0.5f : 0.0f, 1e-5) << y;
    }
    // Cover takes the middle 256 x 192 of 1024 x 192 (scale 1): nothing averaged.
    Picture wide{1024, 192, {}};
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 1024; ++x)
            wide.pixels.push_back(Rgb{static_cast<std::uint8_t>(x / 4), 0, 0});
    const std::vector<LinearRgb> covered = Fitted(wide, Fit::Cover, Rgb{});
    EXPECT_EQ(covered[0].red, Linear(Rgb{96, 0, 0}).red);
    EXPECT_EQ(covered[255].red, Linear(Rgb{159, 0, 0}).red);
}

}  // namespace
}  // namespace picture_in
