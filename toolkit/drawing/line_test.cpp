#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>

#include "toolkit/drawing/drawing_test_support.h"

namespace toolkit {
namespace {

using namespace testing_support;
using Pixels = std::set<std::pair<int, int>>;

constexpr ColourValue Blue = MakeColour(0, 0, 255);

// The pixels a line leaves on a freshly whitened canvas.
Pixels LinePixels(int canvas, int x1, int y1, int x2, int y2) {
    EXPECT_NE(BeginDrawing(CanvasDrawTarget(canvas)), 0);
    FillBox(0, 0, 1000, 1000, MakeColour(255, 255, 255));
    DrawLine(x1, y1, x2, y2, Blue);
    EndDrawing();
    Pixels pixels;
    const Picture picture = ReadPicture(canvas);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.at(x, y) == Blue)
                pixels.insert({x, y});
    return pixels;
}

TEST_F(DrawingTest, BresenhamExamples) {
    EXPECT_EQ(LinePixels(SmallCanvas, 0, 0, 3, 1), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    EXPECT_EQ(LinePixels(SmallCanvas, 3, 1, 0, 0), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    EXPECT_EQ(LinePixels(SmallCanvas, 0, 0, 2, 2), (Pixels{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(LinePixels(SmallCanvas, 0, 0, 1, 3), (Pixels{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
    EXPECT_EQ(LinePixels(SmallCanvas, 4, 4, 4, 4), (Pixels{{4, 4}}));
}

TEST_F(DrawingTest, GridLinesReachingOnePastTheEdgeFillTheView) {
    Pixels column;
    for (int y = 0; y < 384; ++y)
        column.insert({16, y});
    EXPECT_EQ(LinePixels(ViewCanvas, 16, 0, 16, 384), column);
    Pixels row;
    for (int x = 0; x < 512; ++x)
        row.insert({x, 16});
    EXPECT_EQ(LinePixels(ViewCanvas, 0, 16, 512, 16), row);
}

TEST_F(DrawingTest, StraightRunsAreCutAtTheEdges) {
    Pixels row;
    for (int x = 0; x < SmallWidth; ++x)
        row.insert({x, 3});
    EXPECT_EQ(LinePixels(SmallCanvas, 25, 3, -5, 3), row);
    EXPECT_EQ(LinePixels(SmallCanvas, 0, -1, 19, -1), Pixels{});
    EXPECT_EQ(LinePixels(SmallCanvas, 0, 10, 19, 10), Pixels{});
    EXPECT_EQ(LinePixels(SmallCanvas, -1, 0, -1, 9), Pixels{});
    EXPECT_EQ(LinePixels(SmallCanvas, 20, 0, 20, 9), Pixels{});
    EXPECT_EQ(LinePixels(SmallCanvas, 2, 7, 2, 70), (Pixels{{2, 7}, {2, 8}, {2, 9}}));
    EXPECT_EQ(LinePixels(SmallCanvas, INT_MIN, 1, INT_MAX, 1).size(), static_cast<std::size_t>(SmallWidth));
}

TEST_F(DrawingTest, SlopedLinesWhollyBeyondOneEdgeDrawNothing) {
    EXPECT_EQ(LinePixels(SmallCanvas, -5, 0, -1, 9), Pixels{});
    EXPECT_EQ(LinePixels(SmallCanvas, 20, 0, 30, 9), Pixels{});
    EXPECT_EQ(LinePixels(SmallCanvas, 0, -9, 19, -1), Pixels{});
    EXPECT_EQ(LinePixels(SmallCanvas, 0, 10, 19, 40), Pixels{});
}

TEST_F(DrawingTest, ClippedEndsSlideAlongTheLineTruncatedTowardZero) {
    // x clip: (-1, -2) moves to (0, -2 + 0.75) = (0, -1.25), truncated to -1 (not -2);
    // y clip: slope 1.5, (0, -1) moves to (1.5, 0) = (1, 0). Left: (1, 0) to (3, 1).
    const Pixels expected{{1, 0}, {2, 1}, {3, 1}};
    EXPECT_EQ(LinePixels(SmallCanvas, -1, -2, 3, 1), expected);
    EXPECT_EQ(LinePixels(SmallCanvas, 3, 1, -1, -2), expected);
    // Extreme ends come down to the diagonal from (0, 0) to (9, 9).
    Pixels diagonal;
    for (int i = 0; i < 10; ++i)
        diagonal.insert({i, i});
    EXPECT_EQ(LinePixels(SmallCanvas, INT_MIN, INT_MIN, INT_MAX, INT_MAX), diagonal);
}

TEST_F(DrawingTest, LinesInsideFollowTheIdealLineFromEitherEnd) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> x(0, 511), y(0, 383);
    for (int i = 0; i < 40; ++i) {
        const int x1 = x(random), y1 = y(random), x2 = x(random), y2 = y(random);
        SCOPED_TRACE(::testing::Message() << x1 << "," << y1 << " to " << x2 << "," << y2);
        const Pixels forward = LinePixels(ViewCanvas, x1, y1, x2, y2);
        EXPECT_EQ(LinePixels(ViewCanvas, x2, y2, x1, y1), forward);
        const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
        ASSERT_EQ(forward.size(), static_cast<std::size_t>(std::max(dx, dy) + 1));
        EXPECT_TRUE(forward.count({x1, y1}) && forward.count({x2, y2}));
        for (auto [px, py] : forward) {
            // Each pixel lies within half a pixel of the ideal line along the minor axis.
            if (dx >= dy && dx > 0) {
                const double ideal = y1 + double(y2 - y1) * (px - x1) / (x2 - x1);
                EXPECT_LE(std::abs(py - ideal), 0.5) << px << "," << py;
            } else if (dy > 0) {
                const double ideal = x1 + double(x2 - x1) * (py - y1) / (y2 - y1);
                EXPECT_LE(std::abs(px - ideal), 0.5) << px << "," << py;
            }
        }
    }
}

}  // namespace
}  // namespace toolkit
