#include <climits>

#include <QEvent>
#include <QObject>

#include "toolkit/canvas/canvas_access.h"
#include "toolkit/canvas/canvas_qt.h"
#include "toolkit/controls/control_qt.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/drawing/drawing_measure.h"
#include "toolkit/drawing/drawing_test_support.h"

namespace toolkit {
namespace {

using namespace testing_support;

constexpr ColourValue Red = MakeColour(255, 0, 0);

void Begin(int canvas) { ASSERT_NE(BeginDrawing(CanvasDrawTarget(canvas)), 0); }

TEST(MakeColour, SumsTheThreeLevels) {
    EXPECT_EQ(MakeColour(0, 0, 255), 16711680u);
    EXPECT_EQ(MakeColour(255, 0, 0), 255u);
    EXPECT_EQ(MakeColour(1, 2, 3), 1u + 2u * 256u + 3u * 65536u);
    EXPECT_EQ(MakeColour(256, 0, 0), MakeColour(0, 1, 0));  // no masking
}

TEST_F(DrawingTest, FillBoxCoversExactlyTheBoxClippedToTheCanvas) {
    struct Case {
        int x, y, width, height;
        int left, top, right, bottom;  // the pixels expected, inclusive; right < left for none
    };
    const Case cases[] = {
        {10, 10 - 8, -3, 2, 7, 2, 9, 3},        // negative width: columns x - 3 .. x - 1
        {4, 5, 2, -3, 4, 2, 5, 4},              // negative height
        {-1, -1, 2, 2, 0, 0, 0, 0},             // only the corner pixel survives
        {18, 8, 5, 5, 18, 8, 19, 9},            // cut at the right and the bottom
        {3, 3, 0, 4, 0, 0, -1, -1},             // width 0: nothing
        {3, 3, 4, 0, 0, 0, -1, -1},             // height 0: nothing
        {20, 0, 3, 3, 0, 0, -1, -1},            // wholly right of the canvas
        {0, -5, 3, 5, 0, 0, -1, -1},            // wholly above
        {0, 0, INT_MAX, INT_MAX, 0, 0, 19, 9},  // sizes that would overflow
        {5, 5, INT_MIN, 1, 0, 5, 4, 5},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " " << c.width << "x" << c.height);
        Begin(SmallCanvas);
        FillBox(0, 0, SmallWidth, SmallHeight, MakeColour(255, 255, 255));
        FillBox(c.x, c.y, c.width, c.height, Red);
        EndDrawing();
        ExpectPicture(
            SmallCanvas, [&](int x, int y) { return x >= c.left && x <= c.right && y >= c.top && y <= c.bottom; }, Red);
    }
}

TEST_F(DrawingTest, TheColoursTopByteChangesNothing) {
    Begin(SmallCanvas);
    FillBox(0, 0, 4, 4, 0xFF123456u);
    DrawLine(0, 6, 9, 6, 0x80123456u);
    EndDrawing();
    EXPECT_EQ(PixelOf(SmallCanvas, 3, 3), 0x123456u);
    EXPECT_EQ(PixelOf(SmallCanvas, 9, 6), 0x123456u);
    // Blue, green, red in that order in memory.
    EXPECT_EQ(PixelOf(SmallCanvas, 0, 0), MakeColour(0x56, 0x34, 0x12));
}

TEST_F(DrawingTest, NothingIsDrawnWithoutACurrentPass) {
    FillBox(0, 0, 5, 5, Red);
    DrawLine(0, 0, 9, 9, Red);
    Begin(SmallCanvas);
    EndDrawing();
    FillBox(0, 0, 5, 5, Red);
    DrawLine(0, 0, 9, 9, Red);
    EndDrawing();  // a second end does nothing
    ExpectPicture(
        SmallCanvas, [](int, int) { return false; }, Red);
}

TEST_F(DrawingTest, TargetsThatAreNotCanvasesOrNotCurrentFail) {
    EXPECT_EQ(CanvasDrawTarget(42), 0);
    EXPECT_EQ(BeginDrawing(0), 0);
    auto* plain = new QWidget(CurrentContainerWidget());
    ASSERT_NE(RegisterControl(7, std::make_unique<Control>(ControlKind::Button, plain)), 0);
    EXPECT_EQ(CanvasDrawTarget(7), 0);
    DestroyControl(7);

    const DrawTarget stale = CanvasDrawTarget(SmallCanvas);
    const DrawTarget current = CanvasDrawTarget(ViewCanvas);  // ends the first
    ASSERT_NE(current, 0);
    if (stale != current) {
        EXPECT_EQ(BeginDrawing(stale), 0);
        FillBox(0, 0, 5, 5, Red);  // no pass is current after the failure
        ExpectPicture(
            ViewCanvas, [](int, int) { return false; }, Red);
    }
}

TEST_F(DrawingTest, APassOnAVanishedCanvasWritesNowhere) {
    Begin(SmallCanvas);
    DestroyControl(SmallCanvas);
    FillBox(0, 0, SmallWidth, SmallHeight, Red);  // into memory the pass still holds
    DrawLine(0, 0, 19, 9, Red);
    EndDrawing();
    const DrawTarget target = CanvasDrawTarget(ViewCanvas);
    DestroyControl(ViewCanvas);
    EXPECT_EQ(BeginDrawing(target), 0);
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(DrawingTest, EndingAPassShowsThePictureAtOnce) {
    PaintCounter counter;
    CanvasWidget* canvas = CanvasWidgetOf(ViewCanvas);
    ASSERT_TRUE(WaitUntilCanvasShown(ViewCanvas, 5000));
    const int paintsBefore = CanvasPaintCount(ViewCanvas);
    canvas->installEventFilter(&counter);
    Begin(ViewCanvas);
    FillBox(100, 100, 10, 10, Red);
    ASSERT_EQ(counter.paints, 0);
    EndDrawing();
    EXPECT_EQ(counter.paints, 1);  // painted before EndDrawing returned, without the event loop
    EXPECT_EQ(CanvasPaintCount(ViewCanvas), paintsBefore + 1);

    SetRepaintAtEndOfDrawing(false);
    Begin(ViewCanvas);
    EndDrawing();
    SetRepaintAtEndOfDrawing(true);
    EXPECT_EQ(counter.paints, 1);
    canvas->removeEventFilter(&counter);
}

}  // namespace
}  // namespace toolkit
