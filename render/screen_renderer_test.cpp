#include "render/screen_renderer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/pixel_oracle.h"
#include "testsupport/real_screens.h"
#include "testsupport/view_oracle.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/canvas/canvas_access.h"
#include "toolkit/controls/controls.h"
#include "toolkit/drawing/drawing.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/windows.h"

namespace render {
namespace {

constexpr int ViewRowLength = ViewWidth * 3;  // already a multiple of 4
using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb&) const = default;
};

// What canvas pixel (cx, cy) of a view must show, worked out from the screen
// bytes alone: the screen pixel under it, its cell's attribute, the palette.
// highlight is the cell's attribute index, -1 for none.
Rgb ExpectedPixel(const std::uint8_t* screen, bool colourView, int highlight, bool grid, int cx, int cy) {
    testsupport::ViewLook look;
    look.mono = !colourView;
    look.grid = grid;
    if (highlight >= 0) {
        look.highlightColumn = highlight % 32;
        look.highlightRow = highlight / 32;
    }
    const testsupport::Rgb rgb = testsupport::ViewPixel(screen, look, cx, cy);
    return {rgb.red, rgb.green, rgb.blue};
}

// The whole back buffer a view must hold: blue, green, red, bottom row first.
Bytes ExpectedView(const std::uint8_t* screen, bool colourView, int highlight, bool grid) {
    Bytes bytes(static_cast<std::size_t>(ViewRowLength) * ViewHeight);
    for (int cy = 0; cy < ViewHeight; ++cy)
        for (int cx = 0; cx < ViewWidth; ++cx) {
            const Rgb rgb = ExpectedPixel(screen, colourView, highlight, grid, cx, cy);
            std::uint8_t* p = &bytes[static_cast<std::size_t>(ViewHeight - 1 - cy) * ViewRowLength + cx * 3];
            p[0] = static_cast<std::uint8_t>(rgb.blue);
            p[1] = static_cast<std::uint8_t>(rgb.green);
            p[2] = static_cast<std::uint8_t>(rgb.red);
        }
    return bytes;
}

Bytes ViewBytes(int view) {
    toolkit::CanvasPixels pixels;
    EXPECT_TRUE(toolkit::GetCanvasPixels(view, pixels));
    EXPECT_EQ(pixels.width, ViewWidth);
    EXPECT_EQ(pixels.height, ViewHeight);
    EXPECT_EQ(pixels.rowLength, ViewRowLength);
    return Bytes(pixels.storage.get(), pixels.storage.get() + static_cast<std::size_t>(ViewRowLength) * ViewHeight);
}

Rgb ViewPixel(int view, int cx, int cy) {
    toolkit::CanvasPixels pixels;
    EXPECT_TRUE(toolkit::GetCanvasPixels(view, pixels));
    const std::uint8_t* p =
        pixels.storage.get() + static_cast<std::size_t>(ViewHeight - 1 - cy) * ViewRowLength + cx * 3;
    return {p[2], p[1], p[0]};
}

// Reports the first differing pixel rather than a 589,824-byte dump.
void ExpectView(int view, const Bytes& expected) {
    const Bytes actual = ViewBytes(view);
    ASSERT_EQ(actual.size(), expected.size());
    auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin());
    if (a != actual.end()) {
        const auto offset = static_cast<int>(a - actual.begin());
        ADD_FAILURE() << "view " << view << " differs at canvas pixel (" << (offset % ViewRowLength) / 3 << ", "
                      << ViewHeight - 1 - offset / ViewRowLength << ")";
    }
}

const Rgb Black{0, 0, 0}, Grey{127, 127, 127}, White{255, 255, 255}, GridBlue{0, 0, 255};

// Where this test's window puts the views; the program's own window places
// them elsewhere, which the renderer never needs to know.
constexpr int ViewsTop = 24;
constexpr int ViewLeft(int view) { return view == MonoViewControl ? 0 : ViewWidth + 8; }

// Makes a view as the program does.
bool CreateView(int view) {
    return toolkit::CreateCanvas(view, ViewLeft(view), ViewsTop, ViewWidth, ViewHeight,
                                 toolkit::CanvasConfinePointer) != 0;
}

class ScreenRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        toolkit::ClearEventQueue();
        ASSERT_NE(toolkit::CreateTopWindow(
                      0, 0, 0, ViewLeft(ColourViewControl) + ViewWidth, ViewsTop + ViewHeight, "renderer test",
                      toolkit::WindowTitleBar | toolkit::WindowSystemMenu | toolkit::WindowSizingBorder),
                  0);
        ASSERT_TRUE(CreateView(MonoViewControl));
        ASSERT_TRUE(CreateView(ColourViewControl));
        ASSERT_NE(toolkit::CreateCheckBox(GridCheckBoxControl, 0, 0, 60, 20, "Grid"), 0);
    }
    void TearDown() override {
        for (int control : {MonoViewControl, ColourViewControl, GridCheckBoxControl})
            toolkit::DestroyControl(control);
        toolkit::ClearEventQueue();
    }
    void SetGrid(bool on) { toolkit::SetControlState(GridCheckBoxControl, on ? 1 : 0); }
    std::uint8_t* working() { return store.Working(); }
    void Render(int column, int row) { renderer.Draw(store, column, row); }
    void ExpectBothViews(int highlight, bool grid) {
        ExpectView(MonoViewControl, ExpectedView(working(), false, highlight, grid));
        ExpectView(ColourViewControl, ExpectedView(working(), true, highlight, grid));
    }

    screen::ScreenStore store;
    ViewsRenderer renderer;
};

TEST_F(ScreenRendererTest, EveryRealScreenIsDrawnByTheRuleInBothViews) {
    for (const testsupport::RealScreen& real : testsupport::RealScreens()) {
        SCOPED_TRACE(real.name);
        std::copy(real.bytes.begin(), real.bytes.end(), working());
        for (bool grid : {false, true}) {
            SetGrid(grid);
            for (auto [column, row] : {std::pair{-1, -1}, {5, 17}, {31, 0}}) {
                SCOPED_TRACE(::testing::Message() << "grid " << grid << ", highlight " << column << "," << row);
                Render(column, row);
                ExpectBothViews(row * 32 + column, grid);
            }
        }
    }
}

TEST_F(ScreenRendererTest, ViewsAreWhiteUntilTheFirstCallThenBlackForAnEmptyScreen) {
    for (int view : {MonoViewControl, ColourViewControl})
        for (std::uint8_t byte : ViewBytes(view))
            ASSERT_EQ(byte, 0xFF);
    Render(-1, -1);
    for (int view : {MonoViewControl, ColourViewControl})
        for (std::uint8_t byte : ViewBytes(view))
            ASSERT_EQ(byte, 0);
    SetGrid(true);
    Render(-1, -1);
    for (int view : {MonoViewControl, ColourViewControl}) {
        EXPECT_EQ(ViewPixel(view, 0, 0), GridBlue);
        EXPECT_EQ(ViewPixel(view, 16, 5), GridBlue);
        EXPECT_EQ(ViewPixel(view, 496, 383), GridBlue);
        EXPECT_EQ(ViewPixel(view, 511, 368), GridBlue);
        EXPECT_EQ(ViewPixel(view, 511, 383), Black);
        EXPECT_EQ(ViewPixel(view, 17, 5), Black);
    }
    ExpectBothViews(-33, true);
}

TEST_F(ScreenRendererTest, BrightInkAndPaperAndTheFlashBit) {
    // Cell 0 all set with attribute 71; cell 1 all clear with 56; cell 2 and 3
    // the same pattern with 135 and 7.
    for (int row = 0; row < 8; ++row) {
        working()[row * 256 + 0] = 0xFF;
        working()[row * 256 + 2] = 0xA5;
        working()[row * 256 + 3] = 0xA5;
    }
    working()[6144 + 0] = 71;
    working()[6144 + 1] = 56;
    working()[6144 + 2] = 135;
    working()[6144 + 3] = 7;
    Render(-1, -1);
    EXPECT_EQ(ViewPixel(ColourViewControl, 5, 5), White);
    EXPECT_EQ(ViewPixel(MonoViewControl, 5, 5), Grey);
    EXPECT_EQ(ViewPixel(ColourViewControl, 16 + 5, 5), Grey);
    EXPECT_EQ(ViewPixel(MonoViewControl, 16 + 5, 5), Black);
    for (int cy = 0; cy < 16; ++cy)
        for (int cx = 0; cx < 16; ++cx)
            ASSERT_EQ(ViewPixel(ColourViewControl, 32 + cx, cy), ViewPixel(ColourViewControl, 48 + cx, cy))
                << cx << "," << cy;
    ExpectBothViews(-33, false);
}

TEST_F(ScreenRendererTest, TheHighlightComplementsTheAttribute) {
    for (int row = 0; row < 8; ++row)
        working()[row * 256] = 0xF0;  // left half of cell (0, 0) set
    working()[6144] = 56;
    Render(0, 0);
    EXPECT_EQ(ViewPixel(MonoViewControl, 0, 0), Black);    // set pixels black
    EXPECT_EQ(ViewPixel(MonoViewControl, 15, 15), White);  // on white
    EXPECT_EQ(ViewPixel(ColourViewControl, 0, 0), White);  // attribute 199: white on black
    EXPECT_EQ(ViewPixel(ColourViewControl, 15, 15), Black);
    EXPECT_EQ(ViewPixel(MonoViewControl, 16, 0), Black);  // the next cell is not highlighted
    ExpectBothViews(0, false);

    // Only row x 32 + column counts: column 40 of row 0 is cell 8 of row 1.
    Render(40, 0);
    const Bytes wrapped = ViewBytes(ColourViewControl);
    Render(8, 1);
    EXPECT_TRUE(wrapped == ViewBytes(ColourViewControl));
    ExpectBothViews(40, false);
    Render(0, 24);  // index 768: no cell
    ExpectBothViews(-33, false);
}

TEST_F(ScreenRendererTest, TheLastPixelAndTheFirstByteOfTheMiddleThird) {
    working()[6143] = 0x01;  // screen pixel (255, 191)
    working()[2048] = 0xFF;  // third 1, pixel row 0, cell 0: screen line 64
    Render(-1, -1);
    for (int cy = 380; cy < 384; ++cy)
        for (int cx = 508; cx < 512; ++cx)
            EXPECT_EQ(ViewPixel(MonoViewControl, cx, cy), cx >= 510 && cy >= 382 ? Grey : Black) << cx << "," << cy;
    for (int cy = 126; cy < 132; ++cy)
        for (int cx = 0; cx < 18; ++cx)
            EXPECT_EQ(ViewPixel(MonoViewControl, cx, cy), cx < 16 && (cy == 128 || cy == 129) ? Grey : Black)
                << cx << "," << cy;
    ExpectBothViews(-33, false);
}

}  // namespace
}  // namespace render

namespace render {
namespace {

void ReadScreen(const testsupport::RealScreen& real, std::uint8_t* into) {
    std::copy(real.bytes.begin(), real.bytes.end(), into);
}

// The views are redrawn only where their inputs changed, so each call is
// checked against the rule after calls that changed one thing at a time, and
// after the views' buffers were written or made anew behind the renderer's back.
TEST_F(ScreenRendererTest, EveryCallInASequenceLeavesBothViewsAsTheRuleGives) {
    const auto& screens = testsupport::RealScreens();
    ASSERT_TRUE(toolkit::WaitUntilCanvasShown(ColourViewControl, 5000));
    bool grid = false;
    int column = -1, row = -1;
    auto check = [&](const char* step) {
        SCOPED_TRACE(::testing::Message() << step << ", grid " << grid << ", highlight " << column << "," << row);
        SetGrid(grid);
        Render(column, row);
        ExpectBothViews(row * 32 + column, grid);
    };
    auto paints = [] {
        return toolkit::CanvasPaintCount(MonoViewControl) + toolkit::CanvasPaintCount(ColourViewControl);
    };

    ReadScreen(screens[0], working());
    check("first screen");
    column = 5, row = 7;
    check("highlight");
    column = 6;
    int before = paints();
    check("highlight one cell on");
    EXPECT_EQ(paints(), before + 2) << "each view repaints the two cells";
    before = paints();
    check("the pointer moved within the cell");
    EXPECT_EQ(paints(), before) << "nothing changed, so nothing is repainted";
    grid = true;
    check("grid on");
    ReadScreen(screens[1], working());
    check("second screen");
    working()[2048 + 3 * 256 + 13] ^= 0x10;  // one pixel in the middle third
    check("one bitmap byte");
    working()[6144 + 767] ^= 0x47;  // the last cell's attribute
    column = 31, row = 23;
    check("the last attribute, highlighted");
    column = -1, row = -1;
    check("no highlight");

    // Another pass writes into the colour view, then the mono view is made anew.
    toolkit::BeginDrawing(toolkit::CanvasDrawTarget(ColourViewControl));
    toolkit::FillBox(100, 100, 200, 50, toolkit::MakeColour(255, 0, 0));
    toolkit::EndDrawing();
    check("after another pass");
    toolkit::DestroyControl(MonoViewControl);
    ASSERT_TRUE(CreateView(MonoViewControl));
    check("after the mono view was made anew");
    grid = false;
    check("grid off");

    for (std::size_t i = 2; i < screens.size(); ++i) {
        ReadScreen(screens[i], working());
        grid = i % 2 == 0;
        column = static_cast<int>(i * 3 % 32), row = static_cast<int>(i * 5 % 24);
        check(screens[i].name.c_str());
    }
}

// Both views repaint exactly what a change changed: the two cells a moved
// highlight leaves and enters, nothing for the same call again, the one cell
// of a changed bitmap byte, the whole view when the grid is switched.
TEST_F(ScreenRendererTest, EachChangeRepaintsExactlyTheCellsItChanged) {
    ReadScreen(testsupport::RealScreens()[0], working());
    for (int view : {MonoViewControl, ColourViewControl}) {
        ASSERT_TRUE(toolkit::WaitUntilCanvasShown(view, 5000));
        toolkit::NoteCanvasPaints(view);
    }
    using Areas = std::vector<toolkit::CanvasArea>;
    auto repaints = [&](const char* step, int column, int row, const Areas& expected) {
        SCOPED_TRACE(step);
        Render(column, row);
        for (int view : {MonoViewControl, ColourViewControl}) {
            const Areas painted = toolkit::TakeCanvasPaintedArea(view);
            EXPECT_EQ(painted.size(), expected.size()) << "view " << view;
            for (std::size_t i = 0; i < std::min(painted.size(), expected.size()); ++i)
                EXPECT_TRUE(painted[i] == expected[i])
                    << "view " << view << " painted (" << painted[i].x << "," << painted[i].y << " " << painted[i].width
                    << "x" << painted[i].height << ")";
        }
    };
    const Areas wholeView{{0, 0, ViewWidth, ViewHeight}};
    const Areas highlightMoved{{80, 112, 32, 16}};  // cells (5, 7) and (6, 7)
    repaints("first drawing", 5, 7, wholeView);
    for (bool grid : {false, true}) {
        SCOPED_TRACE(grid ? "grid on" : "grid off");
        repaints("highlight to the next cell", 6, 7, highlightMoved);
        repaints("the same cell again", 6, 7, {});
        working()[testsupport::PixelOffset(20 * 8, 10 * 8 + 3)] ^= 0x10;  // in cell (20, 10)
        repaints("one bitmap byte", 6, 7, {{320, 160, 16, 16}});
        repaints("highlight back", 5, 7, highlightMoved);
        SetGrid(!grid);
        repaints("the grid switched", 5, 7, wholeView);
    }
}

}  // namespace
}  // namespace render
