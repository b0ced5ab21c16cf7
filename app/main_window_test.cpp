// The window the builder makes, against the numbers it must have and the
// layout the rest of the program takes for granted.

#include <gtest/gtest.h>

#include "app/main_window_layout.h"
#include "app/shell.h"
#include "render/views.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/controls/controls.h"
#include "toolkit/testing/synthetic_input.h"

namespace {

using toolkit::ControlBounds;

ControlBounds BoundsOf(int control) {
    ControlBounds bounds{-1, -1, -1, -1};
    EXPECT_TRUE(toolkit::GetControlBounds(control, bounds)) << "no control " << control;
    return bounds;
}

ControlBounds BoundsOf(app::layout::Box box) { return {box.x, box.y, box.width, box.height}; }

// The window's numbers as users and the other programs that drive it know
// them, written out here and nowhere else: a constant changed anywhere in the
// program fails this test, however consistently the program follows it.
TEST(MainWindow, StandsWhereItsNumbersSay) {
    ASSERT_TRUE(app::BuildMainWindow());
    toolkit::testing::Place window;
    ASSERT_TRUE(toolkit::testing::WindowScreenPlace(app::MainWindow, window));
    EXPECT_EQ(window.x, 381);
    EXPECT_EQ(window.y, 118);
    EXPECT_EQ(window.width, 1073);
    EXPECT_EQ(window.height, 510);
    // The views are controls 0 and 1, the Grid checkbox the renderer reads is 3.
    EXPECT_EQ(BoundsOf(0), (ControlBounds{0, 20, 512, 384}));
    EXPECT_EQ(BoundsOf(1), (ControlBounds{530, 20, 512, 384}));
    EXPECT_EQ(toolkit::GetControlText(3), "Grid");
    EXPECT_EQ(toolkit::GetControlState(3), 0);
    EXPECT_EQ(render::MonoViewControl, 0);
    EXPECT_EQ(render::ColourViewControl, 1);
    EXPECT_EQ(render::GridCheckBoxControl, 3);
    for (int control : {0, 1})  // canvases, whose back buffers the renderer draws into
        EXPECT_NE(toolkit::GetControlAttribute(control, toolkit::BackBufferAttribute), 0) << control;
    // Each screen pixel is 2 x 2 view pixels, each cell 16 x 16.
    EXPECT_EQ(render::ViewScale, 2);
    EXPECT_EQ(render::CellSpan, 16);
    EXPECT_EQ(render::CellAt(15, 15), (render::Cell{0, 0}));
    EXPECT_EQ(render::CellAt(16, 31), (render::Cell{1, 1}));
    EXPECT_EQ(render::CellAt(511, 383), (render::Cell{31, 23}));
    EXPECT_EQ(render::CellAt(512, 0), std::nullopt);
    EXPECT_EQ(render::CellAt(0, 384), std::nullopt);
}

TEST(MainWindow, OperandRowAndGridBoxFollowTheLayout) {
    ASSERT_TRUE(app::BuildMainWindow());
    using namespace app::layout;
    const struct {
        int control;
        Box box;
        const char* text;
    } expected[] = {
        {app::GridControl, GridBox, "Grid"},
        {app::B1FieldControl, B1FieldBox, "b1"},
        {app::OperationsControl, OperationsBox, "choose byte operations"},
        {app::B2FieldControl, B2FieldBox, "b2"},
        {app::GoControl, GoBox, "go!"},
    };
    for (const auto& control : expected) {
        EXPECT_EQ(BoundsOf(control.control), BoundsOf(control.box)) << control.control;
        EXPECT_EQ(toolkit::GetControlText(control.control), control.text) << control.control;
    }
    ControlBounds none;
    EXPECT_FALSE(toolkit::GetControlBounds(2, none)) << "there is no control 2";
}

}  // namespace
