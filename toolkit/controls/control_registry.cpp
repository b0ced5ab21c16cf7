#include <algorithm>
#include <map>
#include <vector>

#include "toolkit/controls/control_qt.h"
#include "toolkit/controls/controls.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

constexpr std::size_t InitialTableSize = 50;
constexpr std::size_t GrowthMargin = 50;
// The highest number a caller may choose: the table is indexed by it, and
// the desktop's own control identifiers end here too.
constexpr int HighestChosenNumber = 0xFFFF;
// Automatic numbers are handed out from here on, far above any chosen number.
constexpr int FirstAutomaticNumber = 0x40000000;

struct Registry {
    std::vector<std::unique_ptr<Control>> table = std::vector<std::unique_ptr<Control>>(InitialTableSize);
    std::map<int, std::unique_ptr<Control>> automatic;
    int nextAutomatic = FirstAutomaticNumber;
    std::uint64_t nextSequence = 1;
    bool shutdownRegistered = false;
};

Registry registry;

std::unique_ptr<Control>* Slot(int number) {
    if (number >= 0 && static_cast<std::size_t>(number) < registry.table.size())
        return &registry.table[static_cast<std::size_t>(number)];
    auto it = registry.automatic.find(number);
    return it == registry.automatic.end() ? nullptr : &it->second;
}

void DestroyAll() {
    // Out of the registry first: a dying widget looks its record up.
    std::vector<std::unique_ptr<Control>> doomed;
    for (auto& slot : registry.table)
        if (slot)
            doomed.push_back(std::move(slot));
    for (auto& [number, control] : registry.automatic)
        if (control)
            doomed.push_back(std::move(control));
    registry.automatic.clear();
    doomed.clear();
    registry.shutdownRegistered = false;
    SetTabStopSource(nullptr);
}

std::vector<QWidget*> TabStopsOf(int window) {
    std::vector<QWidget*> stops;
    for (Control* control : ControlsInCreationOrder())
        if (control->window() == window && control->isTabStop() && control->widget())
            stops.push_back(control->widget());
    return stops;
}

}  // namespace

Control::Control(ControlKind kind, QWidget* widget) : kind_(kind), widget_(widget) {}

Control::~Control() {
    if (QWidget* widget = widget_.data()) {
        widget->blockSignals(true);  // no focus or change events from a dying control
        delete widget;
    }
}

void Control::post(std::int32_t type, void* data, ReleaseFunction release) const {
    PostEvent(ControlEvent, number_, window_, type, data, release);
}

void ReleaseControlNumber(int number) { DestroyControl(number); }

QWidget* ContainerForNewControl(int number) {
    if (number < AutomaticNumber || number > HighestChosenNumber)
        return nullptr;
    if (number != AutomaticNumber)
        ReleaseControlNumber(number);
    return CurrentContainerWidget();
}

std::intptr_t PlaceControl(int number, std::unique_ptr<Control> control, int x, int y, int width, int height) {
    if (!control || !control->widget())
        return 0;
    control->widget()->setGeometry(x, y, width, height);
    control->widget()->show();
    return RegisterControl(number, std::move(control));
}

std::intptr_t RegisterControl(int number, std::unique_ptr<Control> control) {
    if (!control || !control->widget() || (number < 0 && number != AutomaticNumber) || number > HighestChosenNumber)
        return 0;
    if (!registry.shutdownRegistered) {
        registry.shutdownRegistered = true;
        AddShutdownStep(DestroyAll);
        SetTabStopSource(TabStopsOf);
    }
    control->window_ = WindowNumberOf(control->widget());
    control->sequence_ = registry.nextSequence++;
    // A control dies with its window: when the widget goes first, the record follows.
    QObject::connect(control->widget(), &QObject::destroyed, [sequence = control->sequence_] {
        for (Control* live : ControlsInCreationOrder()) {
            if (live->sequence() != sequence)
                continue;
            live->widget_ = nullptr;
            DestroyControl(live->number());
            return;
        }
    });
    if (number == AutomaticNumber) {
        number = registry.nextAutomatic++;
        control->number_ = number;
        registry.automatic[number] = std::move(control);
        return number;
    }
    DestroyControl(number);
    auto index = static_cast<std::size_t>(number);
    if (index >= registry.table.size())
        registry.table.resize(index + GrowthMargin);
    control->number_ = number;
    QWidget* widget = control->widget();
    registry.table[index] = std::move(control);
    return reinterpret_cast<std::intptr_t>(widget);
}

Control* FindControl(int number) {
    std::unique_ptr<Control>* slot = Slot(number);
    return slot ? slot->get() : nullptr;
}

void DestroyControl(int number) {
    std::unique_ptr<Control> doomed;
    if (std::unique_ptr<Control>* slot = Slot(number))
        doomed = std::move(*slot);
    if (number >= FirstAutomaticNumber)
        registry.automatic.erase(number);
    // The control dies here, when the registry no longer knows it: its
    // widget's last signals must not find a half-destroyed record.
}

std::vector<Control*> ControlsInCreationOrder() {
    std::vector<Control*> result;
    for (auto& slot : registry.table)
        if (slot)
            result.push_back(slot.get());
    for (auto& [number, control] : registry.automatic)
        if (control)
            result.push_back(control.get());
    std::sort(result.begin(), result.end(),
              [](const Control* a, const Control* b) { return a->sequence() < b->sequence(); });
    return result;
}

Control* ControlOfWidget(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        for (Control* control : ControlsInCreationOrder())
            if (control->widget() == widget)
                return control;
    }
    return nullptr;
}

void AddControlItem(int number, int position, const std::string& text) {
    if (Control* control = FindControl(number)) {
        EventSuppression quiet;
        control->addItem(position, text);
    }
}

void SetControlState(int number, int value) {
    if (Control* control = FindControl(number)) {
        EventSuppression quiet;
        control->setState(value);
    }
}

int GetControlState(int number) {
    Control* control = FindControl(number);
    return control ? control->state() : 0;
}

std::string GetControlText(int number) {
    Control* control = FindControl(number);
    return control ? control->text() : std::string();
}

std::int32_t GetControlAttribute(int number, int attribute) {
    Control* control = FindControl(number);
    return control ? control->attribute(attribute) : 0;
}

void SetControlAttribute(int number, int attribute, std::intptr_t value) {
    if (Control* control = FindControl(number))
        control->setAttribute(attribute, value);
}

bool GetControlBounds(int number, ControlBounds& bounds) {
    Control* control = FindControl(number);
    if (!control || !control->widget())
        return false;
    const QRect geometry = control->widget()->geometry();
    bounds = {geometry.x(), geometry.y(), geometry.width(), geometry.height()};
    return true;
}

}  // namespace toolkit
