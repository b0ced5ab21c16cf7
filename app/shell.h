#pragma once
// The application shell: the main window's numbers, start-up, and the one
// event loop that dispatches every event to the operation that handles it.

#include <cstdint>
#include <string>

#include "app/session.h"
#include "render/views.h"
#include "screen/screen_store.h"

namespace app {

constexpr int MainWindow = 0;
constexpr int MainMenuBar = 0;

// Menu command ids; a keyboard shortcut delivers the same id as its item.
enum Command : int {
    OpenCommand = 0,
    SaveCommand = 1,
    QuitCommand = 2,
    OptimizeCommand = 3,
    InvertCommand = 4,
    SplitCommand = 5,
    FindContourCommand = 6,
    CreateMaskCommand = 7,
    MirrorCommand = 8,
    UndoCommand = 9,
};

// Control numbers; there is no control 2.
enum ControlNumber : int {
    MonoViewControl = render::MonoViewControl,
    ColourViewControl = render::ColourViewControl,
    GridControl = render::GridCheckBoxControl,
    B1FieldControl = 4,
    B2FieldControl = 5,
    OperationsControl = 6,
    GoControl = 7,
};

// Opens window 0 with its menu bar, seven controls, drop acceptance on both
// views and the three shortcuts. False when the window cannot be opened.
bool BuildMainWindow();

// Runs the dispatch tests on the event that WaitEvent just made current and
// answers the event kind as the loop's end test must see it (Quit turns it
// into the close event).
std::int32_t DispatchEvent(screen::ScreenStore& store, Session& session, std::int32_t kind);

// Waits and dispatches until the window is closed or Quit is chosen.
void RunEventLoop(screen::ScreenStore& store, Session& session);

// "x:5 y:3 attribute:00:111:000 file:D:\pics\a.scr"
std::string TitleStatusLine(int column, int row, std::uint8_t attribute, const std::string& fileName);

}  // namespace app
