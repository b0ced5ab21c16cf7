#include "toolkit/drawing/drawing_test_support.h"

#include <QTest>

#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit::testing_support {

Picture ReadPicture(int canvas) {
    CanvasPixels pixels;
    Picture picture;
    if (!GetCanvasPixels(canvas, pixels)) {
        ADD_FAILURE() << "no canvas " << canvas;
        return picture;
    }
    picture.width = pixels.width;
    picture.height = pixels.height;
    const int stride = (pixels.width * 3 + 3) / 4 * 4;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint8_t* p = pixels.storage.get() + (pixels.height - 1 - y) * stride + x * 3;
            picture.pixels.push_back(MakeColour(p[2], p[1], p[0]));
        }
    return picture;
}

ColourValue PixelOf(int canvas, int x, int y) { return ReadPicture(canvas).at(x, y); }

void ExpectPicture(int canvas, const std::function<bool(int x, int y)>& painted, ColourValue colour) {
    const Picture picture = ReadPicture(canvas);
    ASSERT_GT(picture.width, 0);
    const ColourValue white = MakeColour(255, 255, 255);
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const ColourValue expected = painted(x, y) ? colour : white;
            if (picture.at(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << picture.at(x, y) << ", not " << expected;
        }
    EXPECT_EQ(wrong, 0);
}

void DrawingTest::SetUp() {
    ClearEventQueue();
    ASSERT_NE(CreateTopWindow(0, 10, 10, 1042, 480, "drawing test", 0xCC0000), 0);
    ASSERT_NE(CreateCanvas(SmallCanvas, 600, 0, SmallWidth, SmallHeight, 0), 0);
    ASSERT_NE(CreateCanvas(ViewCanvas, 0, 20, 512, 384, CanvasConfinePointer), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(TopWindowWidget(0)));
}

void DrawingTest::TearDown() {
    EndDrawing();
    DestroyControl(SmallCanvas);
    DestroyControl(ViewCanvas);
    DestroyAllWindows();
    ClearEventQueue();
}

}  // namespace toolkit::testing_support
