#include <QImage>
#include <QPixmap>
#include <QTest>
#include <algorithm>

#include "toolkit/canvas/canvas_test_support.h"

namespace toolkit {
namespace {

using namespace testing_support;

// Pixel (x, y) of a buffer read with its own addressing: bottom-up rows of
// (width x 3 + 3) / 4 x 4 bytes, blue first.
QRgb ReadPixel(const BackBuffer& buffer, int x, int y) {
    const int stride = (buffer.width() * 3 + 3) / 4 * 4;
    const std::uint8_t* p = buffer.bytes() + (buffer.height() - 1 - y) * stride + x * 3;
    return qRgb(p[2], p[1], p[0]);
}

void WritePixel(BackBuffer& buffer, int x, int y, QRgb colour) {
    std::uint8_t* p = buffer.row(y) + x * 3;
    p[0] = static_cast<std::uint8_t>(qBlue(colour));
    p[1] = static_cast<std::uint8_t>(qGreen(colour));
    p[2] = static_cast<std::uint8_t>(qRed(colour));
}

// A pattern in which neighbouring pixels always differ, so smoothing shows.
QRgb PatternColour(int x, int y) { return qRgb((x * 37) & 255, (y * 53) & 255, ((x + y) & 1) * 255); }

TEST(BackBuffer, RowsArePaddedToFourBytesAndStoredBottomUp) {
    for (auto [width, length] : {std::pair{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {512, 1536}}) {
        BackBuffer buffer(width, 3);
        EXPECT_EQ(buffer.rowLength(), length) << width;
        EXPECT_EQ(buffer.byteCount(), static_cast<std::size_t>(length) * 3);
        EXPECT_EQ(buffer.row(0), buffer.bytes() + 2 * length);
        EXPECT_EQ(buffer.row(2), buffer.bytes());
    }
}

TEST(BackBuffer, StartsWhiteInEveryByteAndAtLeastOnePixel) {
    BackBuffer buffer(5, 3);
    for (std::size_t i = 0; i < buffer.byteCount(); ++i)
        ASSERT_EQ(buffer.bytes()[i], 0xFF) << i;
    BackBuffer empty(0, -4);
    EXPECT_EQ(empty.width(), 1);
    EXPECT_EQ(empty.height(), 1);
    EXPECT_NE(empty.handle(), buffer.handle());
    EXPECT_THROW(BackBuffer(1 << 30, 1 << 30), std::bad_alloc);
}

TEST_F(CanvasWindowTest, ViewsHaveAWhiteBufferOfTheirOwnSize) {
    const BackBuffer& buffer = first()->backBuffer();
    EXPECT_EQ(buffer.width(), 512);
    EXPECT_EQ(buffer.height(), 384);
    EXPECT_EQ(buffer.rowLength(), 1536);
    for (std::size_t i = 0; i < buffer.byteCount(); ++i)
        ASSERT_EQ(buffer.bytes()[i], 0xFF) << i;
    ASSERT_NE(CreateCanvas(2, 0, 0, 100, 50, CanvasBorder), 0);
    EXPECT_EQ(CanvasWidgetOf(2)->backBuffer().width(), 96);
    EXPECT_EQ(CanvasWidgetOf(2)->backBuffer().height(), 46);
    ASSERT_NE(CreateCanvas(3, 0, 0, 3, 3, CanvasBorder), 0);
    EXPECT_EQ(CanvasWidgetOf(3)->backBuffer().width(), 1);
    EXPECT_EQ(CanvasWidgetOf(3)->backBuffer().height(), 1);
}

TEST_F(CanvasWindowTest, ResizeKeepsThePictureTopLeftAndWhitensTheRest) {
    BackBuffer& before = first()->backBuffer();
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x)
            WritePixel(before, x, y, PatternColour(x, y));
    first()->resize(600, 300);
    const BackBuffer& after = first()->backBuffer();
    ASSERT_EQ(after.width(), 600);
    ASSERT_EQ(after.height(), 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600; ++x)
            ASSERT_EQ(ReadPixel(after, x, y), x < 512 ? PatternColour(x, y) : qRgb(255, 255, 255)) << x << "," << y;
}

TEST_F(CanvasWindowTest, PaintingShowsTheBufferAndNothingElse) {
    BackBuffer& buffer = first()->backBuffer();
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x)
            WritePixel(buffer, x, y, PatternColour(x, y));
    const QImage shown = first()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = shown.devicePixelRatio();
    if (qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2) {
        ASSERT_EQ(ratio, 2.0);
    }
    ASSERT_EQ(shown.width(), qRound(512 * ratio));
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(shown.pixel(x, y), PatternColour(int(x / ratio), int(y / ratio))) << x << "," << y;
}

TEST(ConvertBackBuffer, ScaledByTwoEveryPixelBecomesAWholeBlock) {
    BackBuffer buffer(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            WritePixel(buffer, x, y, PatternColour(x, y));
    QImage image(14, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    ConvertBackBuffer(buffer, 2, QRect(1, 1, 5, 3), image);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x) {
            const bool inArea = x >= 2 && x < 12 && y >= 2 && y < 8;
            ASSERT_EQ(image.pixel(x, y), inArea ? PatternColour(x / 2, y / 2) : qRgb(0, 0, 0)) << x << "," << y;
        }
}

}  // namespace
}  // namespace toolkit

namespace toolkit {
namespace {

using namespace testing_support;

TEST_F(CanvasWindowTest, ABorderedCanvasShowsItsPictureInsideTheEdgeAndFramesItsFocus) {
    ASSERT_NE(CreateCanvas(2, 600, 20, 44, 34, CanvasBorder | CanvasFocusFrame | CanvasKeyboard), 0);
    CanvasWidget* canvas = CanvasWidgetOf(2);
    BackBuffer& buffer = canvas->backBuffer();
    ASSERT_EQ(buffer.width(), 40);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            WritePixel(buffer, x, y, PatternColour(x, y));
    const std::vector<std::uint8_t> before(buffer.bytes(), buffer.bytes() + buffer.byteCount());

    QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.devicePixelRatio(), 1.0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(shown.pixel(x + 2, y + 2), PatternColour(x, y)) << x << "," << y;

    canvas->activateWindow();
    canvas->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas->hasFocus(); }, 5000));
    shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int framed = 0;
    for (int x = 2; x < 38; ++x)  // the frame runs 2 pixels inside the picture
        framed += shown.pixel(x + 2, 4) != PatternColour(x, 2);
    EXPECT_GT(framed, 5);
    EXPECT_EQ(shown.pixel(20 + 2, 15 + 2), PatternColour(20, 15));          // the middle stays the picture
    EXPECT_TRUE(std::equal(before.begin(), before.end(), buffer.bytes()));  // painting never draws into it
}

TEST_F(CanvasWindowTest, BackBufferHandlesNameOnePictureEach) {
    const std::int32_t firstHandle = GetControlAttribute(0, BackBufferAttribute);
    const std::int32_t secondHandle = GetControlAttribute(1, BackBufferAttribute);
    EXPECT_NE(firstHandle, 0);
    EXPECT_NE(firstHandle, secondHandle);
    BackBuffer& source = second()->backBuffer();
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x)
            WritePixel(source, x, y, PatternColour(x, y));
    SetControlAttribute(0, BackBufferAttribute, 0);
    SetControlAttribute(0, BackBufferAttribute, secondHandle + 1000);
    EXPECT_EQ(ReadPixel(first()->backBuffer(), 5, 5), qRgb(255, 255, 255));
    SetControlAttribute(0, BackBufferAttribute, secondHandle);
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(ReadPixel(first()->backBuffer(), x, y), PatternColour(x, y)) << x << "," << y;
    first()->resize(100, 100);
    EXPECT_NE(GetControlAttribute(0, BackBufferAttribute), firstHandle);
}

}  // namespace
}  // namespace toolkit
