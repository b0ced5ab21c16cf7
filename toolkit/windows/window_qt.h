#pragma once
// Inside the toolkit: the Qt side of the top-level windows.

#include <QWidget>

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

} // namespace toolkit

#include <functional>

class QMainWindow;

namespace toolkit {

// The top-level window whose handle WindowHandle gave, or null.
QMainWindow* TopWindowOfHandle(std::uintptr_t handle);
// The top-level window of a number, or null.
QMainWindow* TopWindowOfNumber(int window);

// Layers above this one register what they must release at shutdown; the
// steps run newest first, before the windows themselves close.
void AddShutdownStep(std::function<void()> step);

} // namespace toolkit
