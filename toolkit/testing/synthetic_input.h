#pragma once
// User input made up by a program, delivered along the window system's own
// path (pointer, wheel, keys, menus, drags, the close box) into the real
// widgets, for soak tests of the whole program. Positions are in the
// top-level window's coordinates (its menu bar included) and may lie outside.

#include <cstdint>
#include <string>
#include <vector>

namespace toolkit::testing {

enum class PointerButton { Left, Right, Middle };

// Modifier bits of key input: the shortcut bits of windows.h.
constexpr std::uint32_t WithShift = 0x10000;
constexpr std::uint32_t WithControl = 0x20000;
constexpr std::uint32_t WithAlt = 0x40000;

// Keys beyond letters, digits and typed characters, by virtual-key code.
constexpr int BackspaceKey = 0x08;
constexpr int TabKey = 0x09;
constexpr int ReturnKey = 0x0D;
constexpr int EscapeKey = 0x1B;
constexpr int SpaceKey = 0x20;
constexpr int EndKey = 0x23;
constexpr int HomeKey = 0x24;
constexpr int LeftKey = 0x25;
constexpr int UpKey = 0x26;
constexpr int RightKey = 0x27;
constexpr int DownKey = 0x28;
constexpr int DeleteKey = 0x2E;

struct Place {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the control lies in its top-level window; false for no control.
bool ControlPlace(int control, Place& place);
// The size of the top-level window; false when it is not open.
bool WindowPlace(int window, Place& place);
// Where the window's outer top-left corner is on the screen, and its size
// within any frame, menu bar included; false when it is not open.
bool WindowScreenPlace(int window, Place& place);

void MovePointer(int window, int x, int y);
void PressButton(int window, PointerButton button, int x, int y);
void ReleaseButton(int window, PointerButton button, int x, int y);
// Press, release, press (the second one a double click) and release.
void DoubleClick(int window, PointerButton button, int x, int y);
// Wheel turns in units of 1/120 notch, positive away from the user.
void TurnWheel(int window, int x, int y, int units);

// A key press and release with the modifiers held: a virtual-key code of the
// list above, or an upper-case letter or digit.
void PressKey(int window, int key, std::uint32_t modifiers);
// Types the text (UTF-8) into whatever has the keyboard focus.
void TypeText(int window, const std::string& text);

// How a menu item is chosen: by the item's action itself, or by clicks on
// the bar title and then on the item in the opened drop-down.
enum class MenuRoute { Action, Clicks };
// The item of the bar title whose text (up to a tab) is `item`; with an
// empty item the title itself, for a command on the bar. False when there is
// no such item.
bool ChooseMenuItem(int window, const std::string& title, const std::string& item, MenuRoute route);
// Opens the title's drop-down by a click and closes it again with Escape.
void OpenAndDismissMenu(int window, const std::string& title);

// Drag actions a drag source offers, as drop actions are numbered.
constexpr int OfferCopy = 1;
constexpr int OfferMove = 2;
constexpr int OfferLink = 4;
// Drags local files (paths in the file system's bytes) over the point and
// drops them there, or leaves again without dropping.
enum class DragEnd { Drop, Leave };
void DragFiles(int window, int x, int y, const std::vector<std::string>& paths, int offered, DragEnd end);
// The same with plain text instead of files.
void DragText(int window, int x, int y, const std::string& text, int offered);

// What a window manager does when the user clicks into a window: makes it
// the active one again (after drop-downs, nobody else does without one).
void ActivateWindow(int window);

// A click on the window's close box.
void RequestClose(int window);

// Drops the window system's notes that it cannot raise windows or grab the
// keyboard (the offscreen platform says so for every drop-down opened);
// everything else it says still gets through.
void QuietPlatformNotes();

// Lets the next WaitEvent with an empty queue return at once instead of
// waiting for the window system.
void WakeEventLoop();

}  // namespace toolkit::testing
