#include <array>

#include "app/shell.h"
#include "toolkit/canvas/canvas.h"
#include "toolkit/controls/controls.h"
#include "toolkit/drop/drop.h"
#include "toolkit/windows/windows.h"

namespace app {
namespace {

constexpr int WindowX = 381;
constexpr int WindowY = 118;
constexpr int InnerWidth = 1073;
constexpr int InnerHeight = 510;
constexpr std::uint32_t WindowStyle = 0xCC0000;  // title bar, close box, sizing border

constexpr int ViewWidth = 512;
constexpr int ViewHeight = 384;
constexpr int ViewTop = 20;
constexpr int ColourViewLeft = 530;  // 18 pixels right of the mono view
constexpr int RowTop = 405;           // the operand row under the mono view
constexpr int RowHeight = 20;

constexpr int FileDropFormat = 15;
constexpr int CopyAction = 1;

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

void BuildControls() {
    toolkit::CreateCanvas(MonoViewControl, 0, ViewTop, ViewWidth, ViewHeight, toolkit::CanvasConfinePointer);
    toolkit::CreateCanvas(ColourViewControl, ColourViewLeft, ViewTop, ViewWidth, ViewHeight,
                          toolkit::CanvasConfinePointer);
    toolkit::CreateCheckBox(GridControl, 280, 0, 270, RowHeight, "Grid");
    toolkit::CreateTextField(B1FieldControl, 0, RowTop, 40, RowHeight, "b1");
    toolkit::SetControlTooltip(B1FieldControl, "b1");
    toolkit::CreateComboBox(OperationsControl, 40, RowTop, 160, RowHeight);
    for (const char* name : OperationNames)
        toolkit::AddControlItem(OperationsControl, toolkit::AppendItem, name);
    toolkit::SetControlState(OperationsControl, 0);
    toolkit::CreateTextField(B2FieldControl, 200, RowTop, 40, RowHeight, "b2");
    toolkit::SetControlTooltip(B2FieldControl, "b2");
    toolkit::CreateButton(GoControl, 240, RowTop, 40, RowHeight, "go!");
}

} // namespace

bool BuildMainWindow() {
    if (!toolkit::CreateTopWindow(MainWindow, WindowX, WindowY, InnerWidth, InnerHeight,
                                  "New window ( 0 )", WindowStyle))
        return false;
    BuildMenuBar();
    BuildControls();
    toolkit::EnableControlDrop(MonoViewControl, FileDropFormat, CopyAction);
    toolkit::EnableControlDrop(ColourViewControl, FileDropFormat, CopyAction);
    toolkit::AddShortcut(MainWindow, toolkit::ShortcutControl | 'O', OpenCommand);
    toolkit::AddShortcut(MainWindow, toolkit::ShortcutControl | 'S', SaveCommand);
    toolkit::AddShortcut(MainWindow, toolkit::ShortcutControl | 'Q', QuitCommand);
    return true;
}

} // namespace app
