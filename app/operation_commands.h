#pragma once
// Which menu command runs which row of the operations catalogue: the menu
// items take their titles from the rows and the dispatch calls the rows'
// functions, so a title or function is written only in the catalogue.

#include <array>

#include "app/shell.h"
#include "screen/operations.h"

namespace app {

struct OperationCommand {
    Command command;
    const screen::ScreenOperation* operation;
};

inline constexpr std::array OperationCommands{
    OperationCommand{OptimizeCommand, screen::ScreenOperationNamed("optimize")},
    OperationCommand{InvertCommand, screen::ScreenOperationNamed("invert")},
    OperationCommand{FindContourCommand, screen::ScreenOperationNamed("contour")},
    OperationCommand{CreateMaskCommand, screen::ScreenOperationNamed("mask")},
    OperationCommand{MirrorCommand, screen::ScreenOperationNamed("mirror")},
};

// The catalogue row a menu command runs; none for the other commands.
constexpr const screen::ScreenOperation* OperationOf(int command) {
    for (const OperationCommand& tie : OperationCommands)
        if (tie.command == command)
            return tie.operation;
    return nullptr;
}

namespace tied {

// Every tie names a row that has a menu title, and no two ties share a
// command or a row.
constexpr bool TiesAreSound() {
    for (std::size_t i = 0; i < OperationCommands.size(); ++i) {
        if (!OperationCommands[i].operation || OperationCommands[i].operation->menuTitle.empty())
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (OperationCommands[j].command == OperationCommands[i].command ||
                OperationCommands[j].operation == OperationCommands[i].operation)
                return false;
    }
    return true;
}

// Every row with a menu title has a menu command.
constexpr bool EveryMenuRowIsTied() {
    for (const screen::ScreenOperation& row : screen::ScreenOperations) {
        bool tiedToCommand = row.menuTitle.empty();
        for (const OperationCommand& tie : OperationCommands)
            tiedToCommand = tiedToCommand || tie.operation == &row;
        if (!tiedToCommand)
            return false;
    }
    return true;
}

} // namespace tied

static_assert(tied::TiesAreSound(), "each menu command runs its own catalogue row, which has a menu title");
static_assert(tied::EveryMenuRowIsTied(), "each catalogue row with a menu title has a menu command");
static_assert(OperationOf(SplitCommand) == nullptr && OperationOf(UndoCommand) == nullptr,
              "Split and Undo are the window's own commands");

} // namespace app
