#pragma once
// Inside the toolkit: the Qt side of the top-level windows.

#include <cstdint>
#include <functional>
#include <vector>

#include <QPointer>
#include <QWidget>

class QMainWindow;
class QMenuBar;

namespace toolkit {

// The widget new controls are placed in (the inner area below the menu bar of
// the window opened last), or null when no window is open.
QWidget* CurrentContainerWidget();
// The number of that window, or -1.
int CurrentContainerWindow();
// The top-level window widget of a window number, or null.
QWidget* TopWindowWidget(int window);
// The number of the top-level window that holds the widget, or -1.
int WindowNumberOf(const QWidget* widget);
// Closes every window (at shutdown).
void DestroyAllWindows();

// The top-level window whose handle WindowHandle gave, or null.
QMainWindow* TopWindowOfHandle(std::uintptr_t handle);
// The top-level window of a number, or null.
QMainWindow* TopWindowOfNumber(int window);

// Layers above this one register what they must release at shutdown; the
// steps run newest first, before the windows themselves close.
void AddShutdownStep(std::function<void()> step);

// The bar made by CreateMenuBar under that menu number, or null.
QMenuBar* MenuBarWidget(int menu);

// Shortcut tables live as long as their window: a new window starts with the
// two focus entries, a closed one loses its table.
void ResetShortcutTable(int window);
void ForgetShortcutTable(int window);
// The command id bound to the key in the window's table, or -1.
int ShortcutCommand(int window, std::uint32_t keyAndModifiers);

// The control layer tells which widgets of a window take part in the Tab and
// Shift+Tab moves, in creation order; disabled and hidden ones are skipped here.
using TabStopSource = std::function<std::vector<QWidget*>(int window)>;
void SetTabStopSource(TabStopSource source);
// The focus moves behind FocusNextCommand and FocusPreviousCommand.
enum class FocusDirection { Next, Previous };
void MoveFocus(int window, FocusDirection direction);

// Without a window manager nobody gives the activation back after a modal
// requester closes, and the window's shortcuts would stop working. Remember
// the active window while the requester is open and activate it again after.
class ModalRequesterScope {
public:
    ModalRequesterScope();
    ~ModalRequesterScope();
    ModalRequesterScope(const ModalRequesterScope&) = delete;
    ModalRequesterScope& operator=(const ModalRequesterScope&) = delete;
    // The owner for the requester: the active window when it is one of ours.
    QWidget* owner() const { return owner_; }

private:
    QPointer<QWidget> owner_;
};

}  // namespace toolkit
