// What tells the dither modes apart: each keeps a flat grey's share of ink,
// Bayer's dots lie where the published matrix puts them, and no two modes
// draw a photograph alike.
#include <gtest/gtest.h>

#include "picture_in/conversion.h"
#include "picture_in/import.h"
#include "picture_in/test_pictures.h"
#include "screen/screen_layout.h"

namespace picture_in {
namespace {

using screen::ScreenHeight;
using screen::ScreenWidth;

constexpr std::size_t PixelCount = static_cast<std::size_t>(ScreenWidth) * ScreenHeight;

struct NamedMode {
    const char* name;
    Dither dither;
};
constexpr NamedMode DitheringModes[] = {{"floyd-steinberg", Dither::FloydSteinberg},
                                        {"jarvis", Dither::Jarvis},
                                        {"bayer", Dither::Bayer},
                                        {"refined", Dither::Refined}};

// A grey of `level` in linear light over the whole screen.
std::vector<LinearRgb> FlatGrey(float level) {
    return std::vector<LinearRgb>(PixelCount, LinearRgb{level, level, level});
}

// On flat greys, of BRIGHT colours only (the pair black and white then mixes
// every grey), each mode lights the share of pixels the grey is of white,
// within 2 %. Not below 5 % nor above 95 %: there refined, whose eye model
// is a blur of 1 pixel, finds a lone dot farther than 5 pixels from the next
// worse than none and draws 4 % grey solid black.
TEST(Dither, EveryModeKeepsAFlatGreysShareOfWhite) {
    const ScreenColours colours = ColoursOf(render::WindowPalette);
    const int black = ColourIndex(0, 1), white = ColourIndex(7, 1);
    ASSERT_EQ(colours.linear[white].green, 1.0f);
    for (const float level : {0.05f, 0.2f, 0.4f, 0.5f, 0.7f, 0.95f}) {
        const std::vector<LinearRgb> grey = FlatGrey(level);
        for (const NamedMode& mode : DitheringModes) {
            const Drawing drawing = Convert(Target{grey, colours, Bright::Always}, mode.dither);
            std::size_t lit = 0;
            for (const std::uint8_t index : drawing) {
                ASSERT_TRUE(index == black || index == white) << mode.name << " " << level << ": " << int{index};
                lit += index == white;
            }
            EXPECT_NEAR(static_cast<double>(lit) / PixelCount, level, 0.02) << mode.name;
        }
    }
}

// Bayer's 8 x 8 index matrix as it is published (Bayer 1973; Ulichney's
// "Digital Halftoning"), row by row.
constexpr int PublishedBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                      {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                      {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                      {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// A grey of k/64 lights, in every cell, exactly the k pixels whose index is
// below k; cell n is a grey of (n mod 65)/64, so one screen holds them all.
TEST(Dither, BayerLightsThePixelsOfTheMatrixInItsOrder) {
    const ScreenColours colours = ColoursOf(render::WindowPalette);
    const int white = ColourIndex(7, 1);
    auto levelAt = [](int x, int y) { return (y / 8 * screen::CellColumns + x / 8) % 65; };
    std::vector<LinearRgb> greys(PixelCount);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            const float level = static_cast<float>(levelAt(x, y)) / 64.f;
            greys[static_cast<std::size_t>(y) * ScreenWidth + x] = LinearRgb{level, level, level};
        }
    const Drawing drawing = Convert(Target{greys, colours, Bright::Always}, Dither::Bayer);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
            ASSERT_EQ(drawing[static_cast<std::size_t>(y) * ScreenWidth + x] == white,
                      PublishedBayer[y % 8][x % 8] < levelAt(x, y))
                << "grey " << levelAt(x, y) << "/64 at " << x << "," << y;
}

TEST(Dither, NoTwoModesDrawAPhotographAlike) {
    const PreparedResult prepared =
        Prepare(testing::ReadFile(SCRLAB_PICTURES_DIR "/chelsea.jpg"), {}, std::span<const render::Palette>{});
    ASSERT_TRUE(prepared.prepared) << prepared.cause;
    const std::vector<LinearRgb> pixels = TargetOf(*prepared.prepared, {});
    const ScreenColours colours = ColoursOf(render::WindowPalette);
    const Dither modes[] = {Dither::None, Dither::FloydSteinberg, Dither::Jarvis, Dither::Bayer, Dither::Refined};
    std::vector<Drawing> drawings;
    for (const Dither mode : modes)
        drawings.push_back(Convert(Target{pixels, colours, Bright::Auto}, mode));
    for (std::size_t a = 0; a < drawings.size(); ++a)
        for (std::size_t b = a + 1; b < drawings.size(); ++b) {
            std::size_t differ = 0;
            for (std::size_t i = 0; i < PixelCount; ++i)
                differ += drawings[a][i] != drawings[b][i];
            // A twentieth of the pixels at least: a mode that is another with
            // a few pixels changed is not a mode of its own (the closest two,
            // Floyd-Steinberg and its refinement, differ in 12 %).
            EXPECT_GT(differ, PixelCount / 20) << "modes " << a << " and " << b;
        }
}

}  // namespace
}  // namespace picture_in
