#pragma once
// Inside the toolkit: the record every control kind builds on, and the
// registry that finds a control by the caller's number.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "toolkit/windows/events.h"

namespace toolkit {

// Kind codes of the control records; the canvas's is 33.
enum class ControlKind : int { CheckBox = 1, TextField = 2, ComboBox = 3, Button = 4, Canvas = 33 };

class Control {
public:
    Control(ControlKind kind, QWidget* widget);
    virtual ~Control();  // destroys the widget if it still exists
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    QWidget* widget() const { return widget_; }
    int number() const { return number_; }
    int window() const { return window_; }
    // Creation order, for the keyboard focus moves.
    std::uint64_t sequence() const { return sequence_; }
    // Tab stops take part in the Tab and Shift+Tab focus moves.
    virtual bool isTabStop() const { return true; }

    virtual int state() const { return 0; }
    virtual void setState(int) {}
    virtual std::string text() const { return {}; }
    virtual void addItem(int /*position*/, const std::string& /*text*/) {}
    virtual std::int32_t attribute(int /*attribute*/) const { return 0; }
    virtual void setAttribute(int /*attribute*/, std::intptr_t /*value*/) {}

    // Posts a ControlEvent from this control.
    void post(std::int32_t type, void* data = nullptr, ReleaseFunction release = nullptr) const;

private:
    friend std::intptr_t RegisterControl(int, std::unique_ptr<Control>);
    ControlKind kind_;
    QPointer<QWidget> widget_;
    int number_ = 0;
    int window_ = -1;
    std::uint64_t sequence_ = 0;
};

// Destroys the control that holds the number, if any, so it can be reused.
// Call before building the new control's widget.
void ReleaseControlNumber(int number);

// The first step of every creation: answers the widget a new control goes
// into, after freeing its number, or null when the number is not usable
// (below -1) or no window takes controls.
QWidget* ContainerForNewControl(int number);

// The last step: puts the widget at (x, y) in its container with the given
// size, shows it and registers the control (RegisterControl's answer).
std::intptr_t PlaceControl(int number, std::unique_ptr<Control> control, int x, int y, int width, int height);

// Takes over the control under the number (-1: an automatic number). Answers
// the widget's address for an explicit number, the number for an automatic
// one, 0 on failure (the control is destroyed then).
std::intptr_t RegisterControl(int number, std::unique_ptr<Control> control);

Control* FindControl(int number);
void DestroyControl(int number);
// Every live control, in creation order.
std::vector<Control*> ControlsInCreationOrder();
// The control whose widget is the given one or holds it, or null.
Control* ControlOfWidget(const QWidget* widget);

}  // namespace toolkit
