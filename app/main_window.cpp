#include <string>

#include "app/main_window_layout.h"
#include "app/operation_commands.h"
#include "app/shell.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/controls/controls.h"
#include "toolkit/drop/drop.h"
#include "toolkit/windows/windows.h"

namespace app {
namespace {

// Title bar with the system menu and its close box, and a sizing border; no
// minimize or maximize box.
constexpr std::uint32_t WindowStyle = toolkit::WindowTitleBar | toolkit::WindowSystemMenu | toolkit::WindowSizingBorder;

// An Operations menu item titled by the catalogue row its command runs.
void AddOperationItem(Command command) {
    toolkit::AddMenuCommand(command, std::string(OperationOf(command)->menuTitle));
}

void BuildMenuBar() {
    if (!toolkit::CreateMenuBar(MainMenuBar, toolkit::WindowHandle(MainWindow)))
        return;
    toolkit::AddMenuTitle("File");
    toolkit::AddMenuCommand(OpenCommand, "Open..\tCtrl+O");
    toolkit::AddMenuCommand(SaveCommand, "Save\tCtrl+S");
    toolkit::AddMenuSeparator();
    toolkit::AddMenuCommand(QuitCommand, "Quit\tCtrl+Q");
    toolkit::AddMenuTitle("Operations");
    AddOperationItem(OptimizeCommand);
    AddOperationItem(InvertCommand);
    toolkit::AddMenuCommand(SplitCommand, "Split picture+attributes");
    AddOperationItem(FindContourCommand);
    AddOperationItem(CreateMaskCommand);
    toolkit::AddMenuSeparator();
    AddOperationItem(MirrorCommand);
    toolkit::CloseSubmenu();  // back to the bar, so Undo lands on the bar itself
    toolkit::AddMenuCommand(UndoCommand, "Undo");
}

void CreateView(render::View view) {
    toolkit::CreateCanvas(render::ViewControl(view), layout::ViewLeft(view), layout::ViewTop, render::ViewWidth,
                          render::ViewHeight, toolkit::CanvasConfinePointer);
}

void BuildControls() {
    using namespace layout;
    CreateView(render::View::Mono);
    CreateView(render::View::Colour);
    toolkit::CreateCheckBox(GridControl, GridBox.x, GridBox.y, GridBox.width, GridBox.height, "Grid");
    toolkit::CreateTextField(B1FieldControl, B1FieldBox.x, B1FieldBox.y, B1FieldBox.width, B1FieldBox.height, "b1");
    toolkit::SetControlTooltip(B1FieldControl, "b1");
    toolkit::CreateComboBox(OperationsControl, OperationsBox.x, OperationsBox.y, OperationsBox.width,
                            OperationsBox.height);
    for (const screen::ByteOperationRow& operation : screen::ByteOperations)
        toolkit::AddControlItem(OperationsControl, toolkit::AppendItem, std::string(operation.listText));
    toolkit::SetControlState(OperationsControl, 0);
    toolkit::CreateTextField(B2FieldControl, B2FieldBox.x, B2FieldBox.y, B2FieldBox.width, B2FieldBox.height, "b2");
    toolkit::SetControlTooltip(B2FieldControl, "b2");
    toolkit::CreateButton(GoControl, GoBox.x, GoBox.y, GoBox.width, GoBox.height, "go!");
}

}  // namespace

bool BuildMainWindow() {
    if (!toolkit::CreateTopWindow(MainWindow, layout::WindowX, layout::WindowY, layout::InnerWidth, layout::InnerHeight,
                                  "New window ( 0 )", WindowStyle))
        return false;
    BuildMenuBar();
    BuildControls();
    toolkit::EnableControlDrop(MonoViewControl, toolkit::FilesDropFormat, toolkit::DropCopy);
    toolkit::EnableControlDrop(ColourViewControl, toolkit::FilesDropFormat, toolkit::DropCopy);
    toolkit::AddShortcut(MainWindow, toolkit::ShortcutControl | 'O', OpenCommand);
    toolkit::AddShortcut(MainWindow, toolkit::ShortcutControl | 'S', SaveCommand);
    toolkit::AddShortcut(MainWindow, toolkit::ShortcutControl | 'Q', QuitCommand);
    return true;
}

}  // namespace app
