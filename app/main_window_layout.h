#pragma once
// Where the main window opens and where its views and controls stand: the
// window builder, its contract test, the tests that drive the running program
// and the measurement's peer window all place things by these numbers. The
// views' size and cells are the renderer's (render/views.h).

#include "render/views.h"

namespace app::layout {

constexpr int WindowX = 381;
constexpr int WindowY = 118;
constexpr int InnerWidth = 1073;
constexpr int InnerHeight = 510;

// The views sit in the inner area side by side under the Grid checkbox, 18
// pixels apart.
constexpr int ViewTop = 20;
constexpr int MonoViewLeft = 0;
constexpr int ColourViewLeft = 530;
static_assert(ColourViewLeft >= MonoViewLeft + render::ViewWidth);

constexpr int ViewLeft(render::View view) { return view == render::View::Mono ? MonoViewLeft : ColourViewLeft; }

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
constexpr int OperandRowTop = ViewTop + render::ViewHeight + 1;
constexpr Box B1FieldBox{0, OperandRowTop, 40, RowHeight};
constexpr Box OperationsBox{40, OperandRowTop, 160, RowHeight};
constexpr Box B2FieldBox{200, OperandRowTop, 40, RowHeight};
constexpr Box GoBox{240, OperandRowTop, 40, RowHeight};

static_assert(GridBox.y + GridBox.height <= ViewTop, "the Grid box must not cover the views");
static_assert(ColourViewLeft + render::ViewWidth <= InnerWidth, "both views fit the window");
static_assert(OperandRowTop + RowHeight <= 425, "every control lies within the top 425 rows");

}  // namespace app::layout
