// Bit rows, and what the window shows once a pass has written only a few tiles.

#include <ostream>
#include <vector>

#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include "toolkit/canvas/canvas_access.h"
#include "toolkit/canvas/canvas_qt.h"
#include "toolkit/drawing/drawing_test_support.h"

namespace toolkit {

std::ostream& operator<<(std::ostream& out, const CanvasArea& area) {
    return out << "(" << area.x << "," << area.y << " " << area.width << "x" << area.height << ")";
}

namespace {

using namespace testing_support;

constexpr ColourValue Ink = MakeColour(255, 0, 127);
constexpr ColourValue Paper = MakeColour(0, 127, 255);
constexpr ColourValue Edge = MakeColour(0, 0, 255);

TEST_F(DrawingTest, BitRowsArePairsOfBoxesWhereverTheyLie) {
    const std::uint8_t bits[] = {0xA5, 0x00, 0xFF, 0x81, 0x3C, 0x7E};
    struct Case {
        int x, y, rows, step;
    };
    const Case cases[] = {
        {0, 0, 3, 1},                             // inside, on a tile corner
        {1, 1, 2, 2},                             // an odd column: rows not 16-byte aligned
        {-5, -1, 3, 1},                           // cut at the left and the top
        {SmallWidth - 9, SmallHeight - 3, 3, 1},  // cut at the right and the bottom
        {SmallWidth, 0, 2, 1},                    // wholly outside
        {2, 4, 0, 1},                             // no rows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " rows " << c.rows);
        ASSERT_NE(BeginDrawing(CanvasDrawTarget(SmallCanvas)), 0);
        FillBox(0, 0, SmallWidth, SmallHeight, MakeColour(255, 255, 255));
        for (int row = 0; row < c.rows; ++row)
            for (int m = 0; m < 8; ++m)
                FillBox(c.x + 2 * m, c.y + 2 * row, 2, 2, bits[row * c.step] & (0x80 >> m) ? Ink : Paper);
        EndDrawing();
        const Picture boxes = ReadPicture(SmallCanvas);

        ASSERT_NE(BeginDrawing(CanvasDrawTarget(SmallCanvas)), 0);
        FillBox(0, 0, SmallWidth, SmallHeight, MakeColour(255, 255, 255));
        FillBitsDoubled(c.x, c.y, bits, c.rows, c.step, Ink, Paper);
        EndDrawing();
        EXPECT_EQ(ReadPicture(SmallCanvas).pixels, boxes.pixels);

        // With edges: the same as the boxes with two lines over them.
        ASSERT_NE(BeginDrawing(CanvasDrawTarget(SmallCanvas)), 0);
        if (c.rows > 0) {
            DrawLine(c.x, c.y, c.x + 15, c.y, Edge);
            DrawLine(c.x, c.y, c.x, c.y + 2 * c.rows - 1, Edge);
        }
        EndDrawing();
        const Picture edged = ReadPicture(SmallCanvas);
        ASSERT_NE(BeginDrawing(CanvasDrawTarget(SmallCanvas)), 0);
        FillBox(0, 0, SmallWidth, SmallHeight, MakeColour(255, 255, 255));
        FillBitsDoubledEdged(c.x, c.y, bits, c.rows, c.step, Ink, Paper, Edge);
        EndDrawing();
        EXPECT_EQ(ReadPicture(SmallCanvas).pixels, edged.pixels);
    }
}

// The part of the window that shows the canvas, as the window system has it:
// what was last put on the screen, not a fresh paint.
QImage ShownOnScreen(CanvasWidget* canvas) {
    QWidget* top = canvas->window();
    const QPoint at = canvas->mapTo(top, QPoint(0, 0));
    const QPixmap shot =
        top->windowHandle()->screen()->grabWindow(top->winId(), at.x(), at.y(), canvas->width(), canvas->height());
    return shot.toImage().convertToFormat(QImage::Format_RGB32);
}

// Every pixel the window shows for the canvas is its back buffer's.
void ExpectScreenShowsBuffer(int number) {
    const Picture picture = ReadPicture(number);
    const QImage shown = ShownOnScreen(CanvasWidgetOf(number));
    ASSERT_EQ(shown.width(), picture.width);
    ASSERT_EQ(shown.height(), picture.height);
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const ColourValue c = picture.at(x, y);
            const QRgb expected = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            if (shown.pixel(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "the window shows " << std::hex << shown.pixel(x, y) << " at " << std::dec << x << ","
                              << y << ", the buffer holds " << std::hex << expected;
        }
    EXPECT_EQ(wrong, 0);
}

// Collects the areas a widget is asked to paint.
class PaintRegions : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST_F(DrawingTest, EndingAPassRepaintsTheTilesItWroteAndTheWindowShowsTheBuffer) {
    // A width that is neither a multiple of the tile nor of four pixels.
    constexpr int OddCanvas = 2;
    ASSERT_NE(CreateCanvas(OddCanvas, 600, 40, 37, 21, 0), 0);
    for (int number : {ViewCanvas, OddCanvas}) {
        SCOPED_TRACE(number);
        CanvasWidget* canvas = CanvasWidgetOf(number);
        ASSERT_TRUE(WaitUntilCanvasShown(number, 5000));
        ASSERT_NE(BeginDrawing(CanvasDrawTarget(number)), 0);
        FillBox(0, 0, 1000, 1000, Paper);
        EndDrawing();
        ExpectScreenShowsBuffer(number);

        PaintRegions regions;
        canvas->installEventFilter(&regions);
        const std::uint8_t bits[] = {0xF0, 0x0F, 0x5A};
        ASSERT_NE(BeginDrawing(CanvasDrawTarget(number)), 0);
        // Each primitive into tiles of its own, each reaching across a tile edge.
        FillBox(15, 15, 2, 2, Ink);                   // a pixel into each of tiles (0..1, 0..1)
        DrawLine(40, 3, 53, 8, Ink);                  // slanting, tiles (2..3, 0)
        FillBitsDoubled(67, 13, bits, 3, 1, Ink, 0);  // tiles (4..5, 0..1)
        DrawLine(36, 20, 36, 40, Ink);                // tiles (2, 1..2); the odd canvas's last column
        EndDrawing();
        canvas->removeEventFilter(&regions);
        ExpectScreenShowsBuffer(number);
        if (number == ViewCanvas) {
            QRegion written;
            for (QRect tiles : {QRect(0, 0, 2, 2), QRect(2, 0, 2, 1), QRect(4, 0, 2, 2), QRect(2, 1, 1, 2)})
                written += QRect(tiles.topLeft() * 16, tiles.size() * 16);
            EXPECT_TRUE(written.xored(regions.painted).isEmpty()) << "the tiles written are repainted, no others";
        }

        // A pass that writes nothing repaints nothing.
        const int paints = CanvasPaintCount(number);
        ASSERT_NE(BeginDrawing(CanvasDrawTarget(number)), 0);
        EndDrawing();
        EXPECT_EQ(CanvasPaintCount(number), paints);

        // An expose repaints from the buffer whatever the window asks for.
        canvas->repaint();
        ExpectScreenShowsBuffer(number);
    }
    DestroyControl(OddCanvas);
}

// Bit rows at twice their size repaint the tiles they reach and no others,
// with the grid's edge drawn along, and cut at the view's edges.
TEST_F(DrawingTest, BitRowsRepaintExactlyTheTilesTheyReach) {
    ASSERT_TRUE(WaitUntilCanvasShown(ViewCanvas, 5000));
    NoteCanvasPaints(ViewCanvas);
    const std::uint8_t bits[8] = {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
    struct Case {
        bool edged;
        int x, y, rows;
        CanvasArea painted;
    };
    const Case cases[] = {
        {true, 17, 18, 7, {16, 16, 32, 16}},       // 17..32 x 18..31: one pixel into the next tile
        {true, 48, 32, 8, {48, 32, 16, 16}},       // one tile exactly
        {true, 32, 17, 8, {32, 16, 16, 32}},       // one row into the tile below
        {false, 500, 378, 8, {496, 368, 16, 16}},  // cut at the right and the bottom
        {false, -9, -5, 8, {0, 0, 16, 16}},        // cut at the left and the top
        {false, 0, -4, 8, {0, 0, 16, 16}},         // cut at the top, up to the tile's right edge
        {false, 505, 10, 4, {496, 0, 16, 32}},     // cut at the right, across a tile row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.edged ? "edged " : "") << c.x << "," << c.y << " rows " << c.rows);
        TakeCanvasPaintedArea(ViewCanvas);
        ASSERT_NE(BeginDrawing(CanvasDrawTarget(ViewCanvas)), 0);
        if (c.edged)
            FillBitsDoubledEdged(c.x, c.y, bits, c.rows, 1, Ink, Paper, Edge);
        else
            FillBitsDoubled(c.x, c.y, bits, c.rows, 1, Ink, Paper);
        EndDrawing();
        EXPECT_EQ(TakeCanvasPaintedArea(ViewCanvas), std::vector<CanvasArea>{c.painted});
    }
}

}  // namespace
}  // namespace toolkit
