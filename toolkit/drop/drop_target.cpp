#include "toolkit/drop/drop_target_qt.h"

#include <new>

#include <QDropEvent>
#include <QWidget>

#include "toolkit/drop/drop.h"
#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

constexpr std::int32_t AllDropActions = DropCopy | DropMove | DropLink;

std::int32_t KeyState(Qt::KeyboardModifiers modifiers) {
    std::int32_t keys = 0;
    if (modifiers & Qt::ShiftModifier)
        keys |= ShiftKeyBit;
    if (modifiers & Qt::ControlModifier)
        keys |= ControlKeyBit;
    if (modifiers & Qt::AltModifier)
        keys |= AltKeyBit;
    return keys;
}

std::int32_t OfferedActions(const QDropEvent* event) {
    return static_cast<std::int32_t>(event->possibleActions().toInt()) & AllDropActions;
}

void Answer(QDropEvent* event, std::int32_t effect) {
    if (effect == DropNone) {
        event->ignore();
        return;
    }
    event->setDropAction(static_cast<Qt::DropAction>(effect));
    event->accept();
}

std::list<DropEntry>::iterator FindEntry(std::list<DropEntry>& list, std::int32_t key) {
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->key == key)
            return it;
    return list.end();
}

}  // namespace

std::int32_t ChooseDropEffect(std::int32_t matchedActions, std::int32_t keys, std::int32_t offered) {
    const std::int32_t common = matchedActions & offered & AllDropActions;
    keys &= ShiftKeyBit | ControlKeyBit | AltKeyBit;
    if ((common & DropLink) && (keys == (ControlKeyBit | ShiftKeyBit) || keys == AltKeyBit))
        return DropLink;
    if ((common & DropMove) && (keys == ShiftKeyBit || !(common & DropCopy)))
        return DropMove;
    for (std::int32_t action : {DropCopy, DropMove, DropLink})
        if (common & action)
            return action;
    return DropNone;
}

DropTarget::DropTarget(QWidget* owner, int ownerKind, int ownerNumber)
    : QObject(owner), owner_(owner), ownerKind_(ownerKind), ownerNumber_(ownerNumber) {
    owner_->installEventFilter(this);
    owner_->setAcceptDrops(true);
}

void DropTarget::Withdraw(DropTarget* target) {
    target->owner_->removeEventFilter(target);
    target->owner_->setAcceptDrops(false);
    delete target;
}

DropTarget* DropTarget::Of(const QWidget* widget) {
    if (!widget)
        return nullptr;
    for (QObject* child : widget->children())
        if (auto* target = dynamic_cast<DropTarget*>(child))
            return target;
    return nullptr;
}

void DropTarget::setEntry(std::int32_t format, std::int32_t privateType, std::int32_t actions) {
    std::list<DropEntry>& list = format == PrivateDropFormat ? privateTypes_ : formats_;
    const std::int32_t key = format == PrivateDropFormat ? privateType : format;
    auto it = FindEntry(list, key);
    if (actions == DropNone) {
        if (it != list.end())
            list.erase(it);
    } else if (it != list.end()) {
        it->actions = actions;
    } else {
        list.push_front(DropEntry{key, actions});
    }
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != owner_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter: dragEnter(static_cast<QDragEnterEvent*>(event)); return true;
    case QEvent::DragMove: dragMove(static_cast<QDragMoveEvent*>(event)); return true;
    case QEvent::DragLeave: event->accept(); return true;  // no feedback to remove
    case QEvent::Drop: drop(static_cast<QDropEvent*>(event)); return true;
    default: return false;
    }
}

void DropTarget::dragEnter(QDragEnterEvent* event) {
    match_ = DropMatch::Nothing;
    const std::int32_t offered = OfferedActions(event);
    const QMimeData* data = event->mimeData();
    for (const DropEntry& entry : formats_) {
        if ((entry.actions & offered) && DragOffersFormat(data, entry.key)) {
            match_ = DropMatch::Format;
            matchedKey_ = reportedFormat_ = entry.key;
            matchedActions_ = entry.actions;
            break;
        }
    }
    if (match_ == DropMatch::Nothing && !privateTypes_.empty()) {
        if (std::optional<std::int32_t> type = DraggedPrivateType(data)) {
            for (const DropEntry& entry : privateTypes_) {
                if (entry.key == *type && (entry.actions & offered)) {
                    match_ = DropMatch::PrivateType;
                    matchedKey_ = entry.key;
                    reportedFormat_ = PrivateDropFormat;
                    matchedActions_ = entry.actions;
                    break;
                }
            }
        }
    }
    Answer(event, chosenEffect(event));
}

void DropTarget::dragMove(QDragMoveEvent* event) { Answer(event, chosenEffect(event)); }

std::int32_t DropTarget::chosenEffect(const QDropEvent* event) const {
    if (match_ == DropMatch::Nothing)
        return DropNone;
    return ChooseDropEffect(matchedActions_, KeyState(event->modifiers()), OfferedActions(event));
}

void DropTarget::drop(QDropEvent* event) {
    const std::int32_t effect = chosenEffect(event);
    if (effect == DropNone) {
        Answer(event, DropNone);
        return;
    }
    post(event, effect);
}

void DropTarget::post(QDropEvent* event, std::int32_t effect) {
    std::unique_ptr<DropRecord> record(new (std::nothrow) DropRecord);
    if (!record) {
        Answer(event, DropNone);
        return;
    }
    const QPoint point = event->position().toPoint();
    record->format = reportedFormat_;
    record->privateType = match_ == DropMatch::PrivateType ? matchedKey_ : 0;
    record->action = effect;
    record->x = point.x();
    record->y = point.y();
    if (match_ == DropMatch::Format) {
        std::optional<std::vector<std::uint8_t>> block = DroppedBlock(event->mimeData(), matchedKey_);
        if (!block) {
            Answer(event, DropNone);
            return;
        }
        record->data.reset(new (std::nothrow) std::uint8_t[block->size()]);
        if (!record->data) {
            Answer(event, DropNone);
            return;
        }
        std::copy(block->begin(), block->end(), record->data.get());
        record->size = static_cast<std::uint32_t>(block->size());
    }
    if (ownerKind_ == WindowOwner)
        PostEvent(WindowDropEvent, 0, ownerNumber_, 0, record.release(), ReleaseDropRecord);
    else
        PostEvent(ControlDropEvent, ownerNumber_, WindowNumberOf(owner_), 0, record.release(), ReleaseDropRecord);
    Answer(event, effect);
}

}  // namespace toolkit
