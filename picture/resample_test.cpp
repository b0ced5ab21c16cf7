#include "picture/resample.h"

#include <gtest/gtest.h>

namespace {

using picture::Rgb;

// Each new pixel covers exact fractions of the old ones: a third of a
// pixel counts a third.
TEST(Resampled, WeighsTheFractionsOfThePixelsItCovers) {
    const std::vector<Rgb> pixels{{255, 255, 255}, {0, 0, 0}, {0, 0, 0}};
    const auto out = picture::Resampled(pixels.data(), 3, 1, {0, 0, 3, 1}, 2, 1);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_FLOAT_EQ(out[0].red, 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(out[1].red, 0.0f);
    const auto part = picture::Resampled(pixels.data(), 3, 1, {0.5, 0, 1, 1}, 1, 1);
    EXPECT_FLOAT_EQ(part[0].green, 0.5f);
}

TEST(FitInto, KeepsTheShapeAndAnExactSizeUnchanged) {
    picture::RgbPicture tall{2, 4, std::vector<Rgb>(8, Rgb{10, 200, 30})};
    tall.pixels[3] = Rgb{1, 2, 3};
    const picture::RgbPicture same = picture::FitInto(tall, 4);
    EXPECT_EQ(same.width, 2);
    EXPECT_EQ(same.height, 4);
    EXPECT_EQ(same.pixels, tall.pixels);
    const picture::RgbPicture small = picture::FitInto(tall, 2);
    EXPECT_EQ(small.width, 1);
    EXPECT_EQ(small.height, 2);
}

}  // namespace
