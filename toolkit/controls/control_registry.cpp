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
    for (auto& slot : registry.table)
        slot.reset();
    registry.automatic.clear();
    registry.shutdownRegistered = false;
}

} // namespace

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

std::intptr_t RegisterControl(int number, std::unique_ptr<Control> control) {
    if (!control || !control->widget() || (number < 0 && number != AutomaticNumber))
        return 0;
    if (!registry.shutdownRegistered) {
        registry.shutdownRegistered = true;
        AddShutdownStep(DestroyAll);
    }
    control->window_ = WindowNumberOf(control->widget());
    control->sequence_ = registry.nextSequence++;
    // A control dies with its window: when the widget goes first, the record follows.
    QObject::connect(control->widget(), &QObject::destroyed,
                     [sequence = control->sequence_] {
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
    if (std::unique_ptr<Control>* slot = Slot(number)) {
        slot->reset();
        registry.automatic.erase(number);
    }
}

std::vector<Control*> ControlsInCreationOrder() {
    std::vector<Control*> result;
    for (auto& slot : registry.table)
        if (slot)
            result.push_back(slot.get());
    for (auto& [number, control] : registry.automatic)
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

} // namespace toolkit
