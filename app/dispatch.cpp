#include <optional>

#include "app/shell.h"
#include "app/file_commands.h"
#include "app/operation_commands.h"
#include "render/screen_renderer.h"
#include "screen/byte_ops.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/controls/controls.h"
#include "toolkit/drop/drop.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/windows.h"

namespace app {
namespace {

// Answers whether the command ends the loop.
bool DispatchMenuCommand(screen::ScreenStore& store, Session& session, int command) {
    switch (command) {
    case OpenCommand: OpenScreenFile(store, session); break;
    case SaveCommand: SaveScreenFile(store, session); break;
    case QuitCommand: return true;
    case SplitCommand: SplitScreenFile(store, session); break;
    case UndoCommand:
        screen::RestoreUndoCopy(store);
        Redraw(store, session);
        break;
    default:
        if (const screen::ScreenOperation* operation = OperationOf(command)) {
            screen::ChangeWithUndo(store, operation->apply);
            Redraw(store, session);
        }
        break;
    }
    return false;
}

void RunByteOperation(screen::ScreenStore& store, Session& session) {
    int index = toolkit::GetControlState(OperationsControl);
    std::string b1 = toolkit::GetControlText(B1FieldControl);
    std::string b2 = toolkit::GetControlText(B2FieldControl);
    screen::ChangeWithUndo(store, [&](screen::ScreenSpan working, screen::ScreenSpan) {
        screen::ApplyByteOperation(working, index, b1, b2);
    });
    Redraw(store, session);
}

// The cell under the pointer of the current view event, if any.
std::optional<render::Cell> PointerCell(int view) {
    return render::CellAt(toolkit::GetControlAttribute(view, toolkit::MouseXAttribute),
                          toolkit::GetControlAttribute(view, toolkit::MouseYAttribute));
}

void UpdateTitleStatus(const screen::ScreenStore& store, Session& session, int view) {
    const std::optional<render::Cell> cell = PointerCell(view);
    if (!cell)
        return;
    std::uint8_t attribute = store.Working()[screen::AttributeOffset(cell->column, cell->row)];
    std::string title = TitleStatusLine(cell->column, cell->row, attribute, session.currentFileName);
    toolkit::SetWindowCaption(MainWindow, title.c_str());
    session.renderer.Draw(store, cell->column, cell->row);
}

void InvertCellsUnderPointer(screen::ScreenStore& store, Session& session, int view, screen::MouseButton button) {
    const std::optional<render::Cell> cell = PointerCell(view);
    if (!cell)
        return;
    screen::InvertCellsByClick(screen::WorkingScreen(store), cell->column, cell->row, button);
    session.renderer.Draw(store, cell->column, cell->row);
}

void DispatchViewEvent(screen::ScreenStore& store, Session& session, int view) {
    std::int32_t type = toolkit::CurrentEventType();
    if (type == toolkit::LeftButtonDownEventType || type == toolkit::RightButtonDownEventType) {
        auto button = type == toolkit::LeftButtonDownEventType ? screen::MouseButton::Left : screen::MouseButton::Right;
        InvertCellsUnderPointer(store, session, view, button);
    }
    if (type == toolkit::MouseMoveEventType)
        UpdateTitleStatus(store, session, view);
}

}  // namespace

std::int32_t DispatchEvent(screen::ScreenStore& store, Session& session, std::int32_t kind) {
    std::int32_t source = toolkit::CurrentEventSource();
    if (kind == toolkit::MenuEvent && DispatchMenuCommand(store, session, source))
        kind = toolkit::CloseWindowEvent;
    if (kind == toolkit::ControlDropEvent)
        LoadDroppedFile(store, session, toolkit::GetDroppedFiles());
    if (kind == toolkit::ControlEvent && source == GridControl)
        Redraw(store, session);
    if (kind == toolkit::ControlEvent && source == GoControl)
        RunByteOperation(store, session);
    if (kind == toolkit::ControlEvent && (source == MonoViewControl || source == ColourViewControl))
        DispatchViewEvent(store, session, source);
    return kind;
}

void RunEventLoop(screen::ScreenStore& store, Session& session) {
    std::int32_t kind = 0;
    do {
        kind = DispatchEvent(store, session, toolkit::WaitEvent());
    } while (kind != toolkit::CloseWindowEvent);
}

}  // namespace app
