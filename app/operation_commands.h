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
    screen::OperationId operation;  // the row it runs
};

inline constexpr std::array OperationCommands{
    OperationCommand{OptimizeCommand, screen::OperationId::Optimize},
    OperationCommand{InvertCommand, screen::OperationId::Invert},
    OperationCommand{FindContourCommand, screen::OperationId::Contour},
    OperationCommand{CreateMaskCommand, screen::OperationId::Mask},
    OperationCommand{MirrorCommand, screen::OperationId::Mirror},
};

// The place of the catalogue row a menu command runs; NoOperation for the
// other commands.
inline constexpr std::size_t NoOperation = screen::ScreenOperations.size();
constexpr std::size_t OperationPlaceOf(int command) {
    for (const OperationCommand& tie : OperationCommands)
        if (tie.command == command)
            return static_cast<std::size_t>(tie.operation);
    return NoOperation;
}

// The catalogue row a menu command runs; none for the other commands.
inline const screen::ScreenOperation* OperationOf(int command) {
    const std::size_t place = OperationPlaceOf(command);
    return place == NoOperation ? nullptr : &screen::ScreenOperations[place];
}

namespace tied {

// Every tie names a row that has a menu title, and no two ties share a
// command or a row.
constexpr bool TiesAreSound() {
    for (std::size_t i = 0; i < OperationCommands.size(); ++i) {
        const std::size_t place = static_cast<std::size_t>(OperationCommands[i].operation);
        if (place >= screen::ScreenOperations.size() || screen::ScreenOperations[place].menuTitle.empty())
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
            tiedToCommand = tiedToCommand || static_cast<std::size_t>(tie.operation) == place;
        if (!tiedToCommand)
            return false;
    }
    return true;
}

}  // namespace tied

static_assert(tied::TiesAreSound(), "each menu command runs its own catalogue row, which has a menu title");
static_assert(tied::EveryMenuRowIsTied(), "each catalogue row with a menu title has a menu command");
static_assert(OperationPlaceOf(SplitCommand) == NoOperation && OperationPlaceOf(UndoCommand) == NoOperation,
              "Split and Undo are the window's own commands");

}  // namespace app
