// The window the builder makes against the facts the renderer, the dispatch
// and the end-to-end tests take for granted: a view built a pixel off, or a
// control under a number the renderer does not read, fails here.

#include <gtest/gtest.h>

#include "app/main_window_layout.h"
#include "app/shell.h"
#include "render/views.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/controls/controls.h"

namespace {

using toolkit::ControlBounds;

ControlBounds BoundsOf(int control) {
    ControlBounds bounds{-1, -1, -1, -1};
    EXPECT_TRUE(toolkit::GetControlBounds(control, bounds)) << "no control " << control;
    return bounds;
}

ControlBounds BoundsOf(app::layout::Box box) { return {box.x, box.y, box.width, box.height}; }

TEST(MainWindow, ViewsStandWhereTheRendererAndDispatchExpectThem) {
    ASSERT_TRUE(app::BuildMainWindow());
    for (render::View view : {render::View::Mono, render::View::Colour}) {
        const int control = render::ViewControl(view);
        EXPECT_EQ(BoundsOf(control),
                  (ControlBounds{render::ViewLeft(view), render::ViewTop, render::ViewWidth, render::ViewHeight}))
            << control;
        // A canvas answers its back buffer; the renderer draws into that one.
        EXPECT_NE(toolkit::GetControlAttribute(control, toolkit::BackBufferAttribute), 0) << control;
    }
    EXPECT_EQ(toolkit::GetControlText(render::GridCheckBoxControl), "Grid");
    EXPECT_EQ(toolkit::GetControlState(render::GridCheckBoxControl), 0);
}

TEST(MainWindow, OperandRowAndGridBoxFollowTheLayout) {
    ASSERT_TRUE(app::BuildMainWindow());
    using namespace app::layout;
    const struct {
        int control;
        Box box;
        const char* text;
    } expected[] = {
        {app::GridControl, GridBox, "Grid"},       {app::B1FieldControl, B1FieldBox, "b1"},
        {app::OperationsControl, OperationsBox, "choose byte operations"},
        {app::B2FieldControl, B2FieldBox, "b2"},   {app::GoControl, GoBox, "go!"},
    };
    for (const auto& control : expected) {
        EXPECT_EQ(BoundsOf(control.control), BoundsOf(control.box)) << control.control;
        EXPECT_EQ(toolkit::GetControlText(control.control), control.text) << control.control;
    }
    ControlBounds none;
    EXPECT_FALSE(toolkit::GetControlBounds(2, none)) << "there is no control 2";
}

} // namespace
