#pragma once
// Top-level windows, their menu bars and keyboard shortcuts. Windows and menus
// are known by the caller's own small numbers.

#include <cstdint>
#include <string>

namespace toolkit {

using NativeHandle = std::uintptr_t;

// Style flags of CreateTopWindow.
constexpr std::uint32_t WindowTitleBar = 0x00C00000;
constexpr std::uint32_t WindowSystemMenu = 0x00080000;  // with the close box
constexpr std::uint32_t WindowSizingBorder = 0x00040000;
constexpr std::uint32_t WindowMinimizeBox = 0x00020000;
constexpr std::uint32_t WindowMaximizeBox = 0x00010000;
// The layer's own options.
constexpr std::uint32_t WindowCentreOnScreen = 0x1;
constexpr std::uint32_t WindowCentreOnActive = 0x2;
constexpr std::uint32_t WindowToolWindow = 0x4;
constexpr std::uint32_t WindowNotContainer = 0x8;
constexpr std::uint32_t WindowOpenMaximised = 0x01000000;
constexpr std::uint32_t WindowOpenMinimised = 0x20000000;
constexpr std::uint32_t WindowNoActivate = 0x02000000;
constexpr std::uint32_t WindowHidden = 0x10000000;
constexpr int DefaultPosition = -65535;

// Opens a top-level window whose outer top-left corner is (x, y) and whose
// inner area is width x height, not counting a menu bar attached later.
// Controls created afterwards go into it. Nonzero on success.
std::intptr_t CreateTopWindow(int window, int x, int y, int width, int height, const std::string& title,
                              std::uint32_t flags);
NativeHandle WindowHandle(int window);
// A null text or a window number not open changes nothing.
void SetWindowCaption(int window, const char* text);
std::string WindowCaption(int window);

// Gives the program and every open window this icon: width x height pixels,
// row by row from the top, each 0xAARRGGBB. Nothing changes for a null
// picture or a size that is not positive.
void SetProgramIcon(const std::uint32_t* argbPixels, int width, int height);

// Menus: a bar, drop-downs appended to the current menu, and command items.
// CreateMenuBar makes the bar current and answers 0 when the owner is not an
// open window. A title always lands on the bar; CloseSubmenu returns to the
// parent of the current menu, so a command after it can sit on the bar itself.
std::intptr_t CreateMenuBar(int menu, NativeHandle owner);
void AddMenuTitle(const std::string& text);
void CreateSubmenu(const std::string& text);
void CloseSubmenu();
// Choosing a command item raises MenuEvent(commandId, owning window, 0).
// The text after a tab is shown right-aligned as a shortcut hint only.
void AddMenuCommand(int commandId, const std::string& text);
void AddMenuSeparator();

// Keyboard shortcuts: virtual-key code in the low 16 bits, modifier bits above.
constexpr std::uint32_t ShortcutShift = 0x10000;
constexpr std::uint32_t ShortcutControl = 0x20000;
constexpr std::uint32_t ShortcutAlt = 0x40000;
constexpr int FocusNextCommand = 64001;
constexpr int FocusPreviousCommand = 64002;
// Binding the same key and modifiers again replaces the command. The window's
// shortcuts apply while any of its controls has the focus, text fields too.
void AddShortcut(int window, std::uint32_t keyAndModifiers, int commandId);

}  // namespace toolkit
