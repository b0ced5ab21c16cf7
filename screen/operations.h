#pragma once
// The catalogue of picture operations: each is written here once, and the
// window's menus and byte-operation list, scrtool's commands, its help and
// the man page's check all read these rows. Every row's function works on a
// screen's bytes alone; the window takes the undo copy around it
// (screen::ChangeWithUndo), scrtool runs it on the file's bytes.
//
// To add a whole-screen operation: write its function over a ScreenSpan, add
// a row to ScreenOperations and its name and summary to the man page
// (desktop/man/scrtool.1; a test checks). With an empty menu title it is a
// scrtool command only; a menu title also needs an OperationId, a menu
// command id (app/shell.h), its tie in app/operation_commands.h and a place
// in the window's menu (app/main_window.cpp).
// To add a byte operation: write its AttributeRule and append a row to
// ByteOperations (the list's index is the row's place).

#include <array>
#include <cstddef>
#include <string_view>

#include "screen/byte_ops.h"
#include "screen/outline_ops.h"
#include "screen/screen_layout.h"
#include "screen/whole_screen_ops.h"

namespace screen {

// Every row's function: the screen, rewritten in place, and a scratch plane
// of the same size, which only the outline operations use.
using ScreenOperationFunction = void (*)(ScreenSpan screen, ScreenSpan scratch);

// The row function of an operation that needs no scratch plane.
template <void (*Operation)(ScreenSpan)>
void WithoutScratch(ScreenSpan screen, ScreenSpan) {
    Operation(screen);
}

struct ScreenOperation {
    std::string_view command;    // scrtool's command name
    std::string_view menuTitle;  // the window's Operations menu item; empty for scrtool alone
    std::string_view summary;    // one line for help texts and the man page
    ScreenOperationFunction apply;
};

// In the order of the window's Operations menu.
inline constexpr std::array ScreenOperations{
    ScreenOperation{"optimize", "Optimize",
                    "inverts each cell whose ink or paper meets its left neighbour's; the colours stay",
                    WithoutScratch<OptimizeAttributes>},
    ScreenOperation{"invert", "Invert", "complements every pixel and swaps each cell's ink and paper; the colours stay",
                    WithoutScratch<InvertScreen>},
    ScreenOperation{"contour", "Find contour", "the picture becomes the paper pixels that touch ink", FindContour},
    ScreenOperation{"mask", "Create Mask", "every ink pixel grows into a 3 x 3 block", CreateMask},
    ScreenOperation{"mirror", "Mirror Horisontal", "pixels and attributes mirrored left to right",
                    WithoutScratch<MirrorHorisontal>},
};

struct ByteOperationRow {
    std::string_view listText;  // the window's list item
    std::string_view summary;   // what becomes of the attribute bytes
    AttributeRule apply;        // none for the list's prompt
};

// Row i is the list's item i, so the list's index is scrtool's INDEX.
inline constexpr std::array ByteOperations{
    ByteOperationRow{"choose byte operations", "nothing changes", nullptr},
    ByteOperationRow{"b1 replace to b2", "each attribute equal to b1 becomes b2", ReplaceB1ByB2},
    ByteOperationRow{"b1 AND b2", "each attribute ANDed with b2", AndB2},
    ByteOperationRow{"b1 OR b2", "each attribute ORed with b2", OrB2},
    ByteOperationRow{"b1 EOR(xor) b2", "each attribute XORed with b2", XorB2},
    ByteOperationRow{"Change ink b1 to b2", "ink b1 becomes b2 (all eight bits of b2 go in)", ChangeInkB1ToB2},
    ByteOperationRow{"Change paper b1 to b2", "paper b1 becomes b2", ChangePaperB1ToB2},
    ByteOperationRow{"Change both ink/paper b1 to b2", "ink b1 becomes b2, then paper b1 becomes b2", ChangeBothB1ToB2},
};

static_assert(ByteOperations[static_cast<int>(ByteOperation::Replace)].apply == ReplaceB1ByB2 &&
                  ByteOperations[static_cast<int>(ByteOperation::ChangeBoth)].apply == ChangeBothB1ToB2,
              "the list's indices are the ByteOperation values");

// The rows' places, for callers that run one particular row (the window's
// menu items): each is checked against its row below, so a place cannot
// drift from the catalogue.
enum class OperationId : std::size_t { Optimize, Invert, Contour, Mask, Mirror };

constexpr const ScreenOperation& OperationRow(OperationId id) { return ScreenOperations[static_cast<std::size_t>(id)]; }

static_assert(OperationRow(OperationId::Optimize).command == "optimize" &&
                  OperationRow(OperationId::Invert).command == "invert" &&
                  OperationRow(OperationId::Contour).command == "contour" &&
                  OperationRow(OperationId::Mask).command == "mask" &&
                  OperationRow(OperationId::Mirror).command == "mirror",
              "each OperationId is the place of its own row");

}  // namespace screen
