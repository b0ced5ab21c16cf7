#include <array>

#include "app/main_window_layout.h"
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

constexpr std::array<const char*, 8> OperationNames = {
    "choose byte operations", "b1 replace to b2",    "b1 AND b2",
    "b1 OR b2",               "b1 EOR(xor) b2",      "Change ink b1 to b2",
    "Change paper b1 to b2",  "Change both ink/paper b1 to b2",
};

void BuildMenuBar() {
    if (!toolkit::CreateMenuBar(MainMenuBar, toolkit::WindowHandle(MainWindow)))
        return;
    toolkit::AddMenuTitle("File");
    toolkit::AddMenuCommand(OpenCommand, "Open..\tCtrl+O");
    toolkit::AddMenuCommand(SaveCommand, "Save\tCtrl+S");
    toolkit::AddMenuSeparator();
    toolkit::AddMenuCommand(QuitCommand, "Quit\tCtrl+Q");
    toolkit::AddMenuTitle("Operations");
    toolkit::AddMenuCommand(OptimizeCommand, "Optimize");
    toolkit::AddMenuCommand(InvertCommand, "Invert");
    toolkit::AddMenuCommand(SplitCommand, "Split picture+attributes");
    toolkit::AddMenuCommand(FindContourCommand, "Find contour");
    toolkit::AddMenuCommand(CreateMaskCommand, "Create Mask");
    toolkit::AddMenuSeparator();
    toolkit::AddMenuCommand(MirrorCommand, "Mirror Horisontal");
    toolkit::CloseSubmenu();  // back to the bar, so Undo lands on the bar itself
    toolkit::AddMenuCommand(UndoCommand, "Undo");
}

void CreateView(render::View view) {
    toolkit::CreateCanvas(render::ViewControl(view), layout::ViewLeft(view), layout::ViewTop,
                          render::ViewWidth, render::ViewHeight, toolkit::CanvasConfinePointer);
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
    for (const char* name : OperationNames)
        toolkit::AddControlItem(OperationsControl, toolkit::AppendItem, name);
    toolkit::SetControlState(OperationsControl, 0);
    toolkit::CreateTextField(B2FieldControl, B2FieldBox.x, B2FieldBox.y, B2FieldBox.width, B2FieldBox.height, "b2");
    toolkit::SetControlTooltip(B2FieldControl, "b2");
    toolkit::CreateButton(GoControl, GoBox.x, GoBox.y, GoBox.width, GoBox.height, "go!");
}

} // namespace

bool BuildMainWindow() {
    if (!toolkit::CreateTopWindow(MainWindow, layout::WindowX, layout::WindowY, layout::InnerWidth,
                                  layout::InnerHeight, "New window ( 0 )", WindowStyle))
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

} // namespace app
