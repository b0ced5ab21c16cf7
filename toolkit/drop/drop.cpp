#include "toolkit/drop/drop.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QWidget>

#include "toolkit/controls/control_qt.h"
#include "toolkit/drop/drop_target_qt.h"
#include "toolkit/drop/dropped_files.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

void EnableDrop(QWidget* owner, int ownerKind, int ownerNumber, std::int32_t format, std::int32_t actions,
                std::int32_t privateType) {
    DropTarget* target = DropTarget::Of(owner);
    if (actions != DropNone) {
        if (!target)
            target = new DropTarget(owner, ownerKind, ownerNumber);
        target->setEntry(format, privateType, actions);
    } else if (target) {
        target->setEntry(format, privateType, DropNone);
        if (target->empty())
            DropTarget::Withdraw(target);
    }
}

bool CanHideDrops(const QWidget* sibling) {
    return qobject_cast<const QCheckBox*>(sibling) || qobject_cast<const QRadioButton*>(sibling) ||
           qobject_cast<const QGroupBox*>(sibling);
}

// Drag events go to the topmost widget under the pointer, so a check box, radio
// button or group box stacked above an overlapping control would swallow the
// drops meant for it: such siblings go behind the control.
void BringAboveHidingSiblings(QWidget* control) {
    QWidget* parent = control->parentWidget();
    if (!parent)
        return;
    const QObjectList siblings = parent->children();
    const qsizetype at = siblings.indexOf(control);
    std::vector<QWidget*> hiding;
    for (qsizetype i = at + 1; i < siblings.size(); ++i) {
        auto* sibling = qobject_cast<QWidget*>(siblings[i]);
        if (sibling && !sibling->isWindow() && CanHideDrops(sibling) &&
            sibling->geometry().intersects(control->geometry()))
            hiding.push_back(sibling);
    }
    for (QWidget* sibling : hiding)
        sibling->stackUnder(control);
}

const DropRecord* CurrentDropRecord() {
    const std::int32_t kind = CurrentEventKind();
    if (kind != ControlDropEvent && kind != WindowDropEvent)
        return nullptr;
    return static_cast<const DropRecord*>(CurrentEventData());
}

}  // namespace

void EnableControlDrop(int control, std::int32_t format, std::int32_t actions, std::int32_t privateType) {
    Control* record = FindControl(control);
    if (!record || !record->widget() || format == NoDropFormat)
        return;
    EnableDrop(record->widget(), static_cast<int>(record->kind()), control, format, actions, privateType);
    BringAboveHidingSiblings(record->widget());
}

void EnableWindowDrop(int window, std::int32_t format, std::int32_t actions, std::int32_t privateType) {
    QWidget* owner = TopWindowWidget(window);
    if (!owner || format == NoDropFormat)
        return;
    EnableDrop(owner, DropTarget::WindowOwner, window, format, actions, privateType);
}

std::string GetDroppedFiles() {
    const DropRecord* record = CurrentDropRecord();
    if (!record || !record->data || record->format != FilesDropFormat)
        return {};
    // The record's block stays as it is, so the list can be asked for again.
    return FileListOfBlock(record->data.get(), record->size);
}

}  // namespace toolkit
