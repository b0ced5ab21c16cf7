#pragma once
// Which menu command runs which row of the operations catalogue: the menu
// items take their titles from the rows and the dispatch calls the rows'
// functions, so a title or function is written only in the catalogue.

#include <array>
#include <cstddef>

#include "app/shell.h"
#include "screen/operations.h"

namespace app {

struct OperationCommand {
    Command command;
    std::size_t operation;  // the row's place in screen::ScreenOperations
};

inline constexpr std::array OperationCommands{
    OperationCommand{OptimizeCommand, screen::ScreenOperationPlace("optimize")},
    OperationCommand{InvertCommand, screen::ScreenOperationPlace("invert")},
    OperationCommand{FindContourCommand, screen::ScreenOperationPlace("contour")},
    OperationCommand{CreateMaskCommand, screen::ScreenOperationPlace("mask")},
    OperationCommand{MirrorCommand, screen::ScreenOperationPlace("mirror")},
};

// The place of the catalogue row a menu command runs; NoOperation for the
// other commands.
constexpr std::size_t OperationPlaceOf(int command) {
    for (const OperationCommand& tie : OperationCommands)
        if (tie.command == command)
            return tie.operation;
    return screen::NoOperation;
}

// The catalogue row a menu command runs; none for the other commands.
inline const screen::ScreenOperation* OperationOf(int command) {
    const std::size_t place = OperationPlaceOf(command);
    return place == screen::NoOperation ? nullptr : &screen::ScreenOperations[place];
}

namespace tied {

// Every tie names a row that has a menu title, and no two ties share a
// command or a row.
constexpr bool TiesAreSound() {
    for (std::size_t i = 0; i < OperationCommands.size(); ++i) {
        const std::size_t place = OperationCommands[i].operation;
        if (place == screen::NoOperation || screen::ScreenOperations[place].menuTitle.empty())
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
    for (std::size_t place = 0; place < screen::ScreenOperations.size(); ++place) {
        bool tiedToCommand = screen::ScreenOperations[place].menuTitle.empty();
        for (const OperationCommand& tie : OperationCommands)
            tiedToCommand = tiedToCommand || tie.operation == place;
        if (!tiedToCommand)
            return false;
    }
    return true;
}

}  // namespace tied

static_assert(tied::TiesAreSound(), "each menu command runs its own catalogue row, which has a menu title");
static_assert(tied::EveryMenuRowIsTied(), "each catalogue row with a menu title has a menu command");
static_assert(OperationPlaceOf(SplitCommand) == screen::NoOperation &&
                  OperationPlaceOf(UndoCommand) == screen::NoOperation,
              "Split and Undo are the window's own commands");

}  // namespace app
