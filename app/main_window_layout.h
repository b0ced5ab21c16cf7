#pragma once
// Where the main window opens and where its controls stand around the views:
// the window builder, its contract test and the tests that drive the running
// program all place things by these numbers. The views' own place is the
// renderer's (render/views.h).

#include "render/views.h"

namespace app::layout {

constexpr int WindowX = 381;
constexpr int WindowY = 118;
constexpr int InnerWidth = 1073;
constexpr int InnerHeight = 510;

struct Box {
    int x;
    int y;
    int width;
    int height;
};

// The Grid checkbox sits in the band above the views, the operand row right
// under the mono view.
constexpr int RowHeight = 20;
constexpr Box GridBox{280, 0, 270, RowHeight};
constexpr int OperandRowTop = render::ViewTop + render::ViewHeight + 1;
constexpr Box B1FieldBox{0, OperandRowTop, 40, RowHeight};
constexpr Box OperationsBox{40, OperandRowTop, 160, RowHeight};
constexpr Box B2FieldBox{200, OperandRowTop, 40, RowHeight};
constexpr Box GoBox{240, OperandRowTop, 40, RowHeight};

static_assert(GridBox.y + GridBox.height <= render::ViewTop, "the Grid box must not cover the views");
static_assert(render::ColourViewLeft + render::ViewWidth <= InnerWidth, "both views fit the window");
static_assert(OperandRowTop + RowHeight <= 425, "every control lies within the top 425 rows");

} // namespace app::layout
