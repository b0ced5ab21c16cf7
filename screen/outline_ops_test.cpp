#include "screen/outline_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "screen/screen_test_support.h"

namespace screen {
namespace {

using testing::FirstDifference;
using testing::InkPixels;
using testsupport::PixelOf;
using testsupport::ScreenBytes;
using Pixels = std::vector<std::pair<int, int>>;

// The outline pixel by pixel, each neighbour asked of PixelIsSet with the
// horizontal coordinate wrapped by the 8-bit conversion.
ScreenBytes ContourPixelByPixel(const ScreenBytes& in) {
    ScreenBytes out = in;
    std::fill(out.begin(), out.begin() + 6144, 0);
    const auto set = [&](int x, int y) {
        return PixelIsSet(in.data(), static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y));
    };
    for (int y = 1; y <= 190; ++y) {
        for (int x = 0; x <= 255; ++x) {
            if (set(x, y)) {
                continue;
            }
            const int count = set(x - 1, y) + set(x + 1, y) + set(x, y - 1) + set(x, y + 1);
            if (count >= 1) {
                out[PixelByteOffset(x, y)] |= static_cast<std::uint8_t>(128 >> (x & 7));
            }
        }
    }
    return out;
}

// A pixel is ink when it or one of its eight neighbours inside the screen was.
ScreenBytes DilatedPixelByPixel(const ScreenBytes& in) {
    ScreenBytes out = in;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 256; ++x) {
            bool any = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    any = any || (nx >= 0 && nx < 256 && ny >= 0 && ny < 192 && PixelOf(in.data(), nx, ny));
                }
            }
            if (any) {
                testsupport::SetPixel(out.data(), x, y);
            }
        }
    }
    return out;
}

Pixels Block(int left, int right, int top, int bottom) {
    Pixels pixels;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            pixels.emplace_back(x, y);
        }
    }
    return pixels;
}

struct SinglePixelCase {
    const char* what;
    int x;
    int y;
    Pixels expected;  // in line order
};

void PrintTo(const SinglePixelCase& c, std::ostream* os) { *os << c.what; }

class CreateMaskOfOnePixel : public ::testing::TestWithParam<SinglePixelCase> {};
class FindContourOfOnePixel : public ::testing::TestWithParam<SinglePixelCase> {};

TEST_P(CreateMaskOfOnePixel, GrowsIntoTheExpectedBlock) {
    ScreenBytes work{}, scratch{};
    testsupport::SetPixel(work.data(), GetParam().x, GetParam().y);
    work.data()[6144] = 0x47;
    CreateMask(work, scratch);
    EXPECT_EQ(InkPixels(work.data()), GetParam().expected);
    EXPECT_EQ(work.data()[6144], 0x47);
}

TEST_P(FindContourOfOnePixel, OutlinesIt) {
    ScreenBytes work{}, scratch{};
    testsupport::SetPixel(work.data(), GetParam().x, GetParam().y);
    FindContour(work, scratch);
    EXPECT_EQ(InkPixels(work.data()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pixels, CreateMaskOfOnePixel,
                         ::testing::Values(SinglePixelCase{"at_10_10", 10, 10, Block(9, 11, 9, 11)},
                                           SinglePixelCase{"carry_across_bytes_7_5", 7, 5, Block(6, 8, 4, 6)},
                                           SinglePixelCase{"top_left_corner", 0, 0, Block(0, 1, 0, 1)},
                                           SinglePixelCase{"bottom_right_corner", 255, 191, Block(254, 255, 190, 191)},
                                           SinglePixelCase{"across_thirds_100_63", 100, 63, Block(99, 101, 62, 64)},
                                           SinglePixelCase{"across_cell_rows_16_127", 16, 127,
                                                           Block(15, 17, 126, 128)}),
                         [](const auto& info) { return std::string(info.param.what); });

INSTANTIATE_TEST_SUITE_P(
    Pixels, FindContourOfOnePixel,
    ::testing::Values(SinglePixelCase{"at_10_10", 10, 10, {{10, 9}, {9, 10}, {11, 10}, {10, 11}}},
                      SinglePixelCase{"wraps_at_0_50", 0, 50, {{0, 49}, {1, 50}, {255, 50}, {0, 51}}},
                      SinglePixelCase{"wraps_at_255_100", 255, 100, {{255, 99}, {0, 100}, {254, 100}, {255, 101}}},
                      SinglePixelCase{"top_line_5_0", 5, 0, {{5, 1}}},
                      SinglePixelCase{"bottom_line_255_191", 255, 191, {{255, 190}}},
                      SinglePixelCase{"across_thirds_7_64", 7, 64, {{7, 63}, {6, 64}, {8, 64}, {7, 65}}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Outline, EmptyAndFullBitmaps) {
    ScreenBytes work{}, scratch{};
    CreateMask(work, scratch);
    EXPECT_TRUE(InkPixels(work.data()).empty());
    FindContour(work, scratch);
    EXPECT_TRUE(InkPixels(work.data()).empty());

    std::memset(work.data(), 0xFF, 6144);
    CreateMask(work, scratch);
    EXPECT_EQ(InkPixels(work.data()).size(), 256u * 192u);
    FindContour(work, scratch);
    EXPECT_TRUE(InkPixels(work.data()).empty());
}

// Random pictures of several densities, including the ones that set whole
// bytes, so every neighbour combination across byte and line edges occurs.
std::vector<ScreenBytes> RandomScreens() {
    std::mt19937 random(20240611);
    std::vector<ScreenBytes> screens;
    for (int percent : {1, 10, 50, 90, 99}) {
        ScreenBytes bytes{};
        std::bernoulli_distribution ink(percent / 100.0);
        for (int y = 0; y < 192; ++y) {
            for (int x = 0; x < 256; ++x) {
                if (ink(random)) {
                    testsupport::SetPixel(bytes.data(), x, y);
                }
            }
        }
        for (int i = 6144; i < 6912; ++i) {
            bytes[i] = static_cast<std::uint8_t>(random());
        }
        screens.push_back(bytes);
    }
    return screens;
}

TEST(Outline, FindContourMatchesThePixelByPixelOutlineOnRandomPictures) {
    for (const ScreenBytes& bytes : RandomScreens()) {
        ScreenBytes work{}, scratch{};
        std::memcpy(work.data(), bytes.data(), bytes.size());
        std::memset(scratch.data(), 0x5A, 6144);  // left over by an earlier operation
        FindContour(work, scratch);
        const ScreenBytes expected = ContourPixelByPixel(bytes);
        ASSERT_EQ(FirstDifference(work.data(), expected.data(), 0, 6912), -1);
        ASSERT_EQ(FirstDifference(scratch.data(), expected.data(), 0, 6144), -1);
    }
}

TEST(Outline, CreateMaskMatchesThePixelByPixelMaskOnRandomPictures) {
    for (const ScreenBytes& bytes : RandomScreens()) {
        ScreenBytes work{}, scratch{};
        std::memcpy(work.data(), bytes.data(), bytes.size());
        CreateMask(work, scratch);
        const ScreenBytes expected = DilatedPixelByPixel(bytes);
        ASSERT_EQ(FirstDifference(work.data(), expected.data(), 0, 6912), -1);
        ASSERT_EQ(FirstDifference(scratch.data(), expected.data(), 0, 6144), -1);
    }
}

class RealScreenOutlines : public ::testing::TestWithParam<std::string> {
protected:
    const ScreenBytes& original() const { return testsupport::RealScreenBytes(GetParam()); }
    ScreenBytes work{}, scratch{};
    void SetUp() override { std::memcpy(work.data(), original().data(), original().size()); }
};

TEST_P(RealScreenOutlines, CreateMaskDilatesAndKeepsAttributes) {
    CreateMask(work, scratch);
    const ScreenBytes expected = DilatedPixelByPixel(original());
    EXPECT_EQ(FirstDifference(work.data(), expected.data(), 0, 6144), -1);
    EXPECT_EQ(FirstDifference(work.data(), original().data(), 6144, 6912), -1);
    EXPECT_EQ(FirstDifference(scratch.data(), ScreenBytes{}.data(), 6144, 6912), -1);
}

TEST_P(RealScreenOutlines, FindContourMatchesThePixelByPixelOutline) {
    FindContour(work, scratch);
    const ScreenBytes expected = ContourPixelByPixel(original());
    EXPECT_EQ(FirstDifference(work.data(), expected.data(), 0, 6912), -1);
    EXPECT_EQ(FirstDifference(work.data(), original().data(), 6144, 6912), -1);
    EXPECT_EQ(FirstDifference(scratch.data(), expected.data(), 0, 6144), -1);
    EXPECT_EQ(FirstDifference(scratch.data(), ScreenBytes{}.data(), 6144, 6912), -1);
}

TEST_P(RealScreenOutlines, FindContourTwiceOutlinesTheOutline) {
    FindContour(work, scratch);
    const ScreenBytes first = work;
    FindContour(work, scratch);
    EXPECT_EQ(work, ContourPixelByPixel(first));
    for (const auto& [x, y] : InkPixels(first.data())) {
        ASSERT_FALSE(PixelOf(work.data(), x, y)) << x << "," << y;
    }
}

TEST_P(RealScreenOutlines, FindContourDoesNotDependOnEarlierOperations) {
    const ScreenBytes fresh = ContourPixelByPixel(original());
    CreateMask(work, scratch);
    work = original();
    FindContour(work, scratch);
    EXPECT_EQ(work, fresh);
    work = original();
    FindContour(work, scratch);
    EXPECT_EQ(work, fresh);
}

INSTANTIATE_TEST_SUITE_P(Screens, RealScreenOutlines, ::testing::ValuesIn(testsupport::RealScreenNames()));

}  // namespace
}  // namespace screen
