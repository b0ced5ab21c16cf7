// Keyboard shortcuts per window, applied before any control sees the key, so
// they work while a text field has the focus; Tab and Shift+Tab run through
// the same table as focus moves.

#include <map>
#include <unordered_map>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include "toolkit/windows/events.h"
#include "toolkit/windows/key_codes_qt.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

constexpr std::uint32_t KeyCodeMask = 0xFFFF;
constexpr std::uint32_t ModifierMask = ShortcutShift | ShortcutControl | ShortcutAlt;
constexpr std::uint32_t TabKey = 0x09;

struct ShortcutEntry {
    std::uint32_t modifiers;
    std::uint16_t key;
    int command;
};

struct ShortcutTable {
    std::vector<ShortcutEntry> entries;             // in the order they were bound
    std::unordered_map<std::uint32_t, int> lookup;  // built from the entries
};

std::map<int, ShortcutTable> tables;
TabStopSource tabStops;

void Rebuild(ShortcutTable& table) {
    table.lookup.clear();
    for (const ShortcutEntry& entry : table.entries)
        table.lookup[entry.modifiers | entry.key] = entry.command;
}

void RunCommand(int window, int command) {
    if (command == FocusNextCommand)
        MoveFocus(window, FocusDirection::Next);
    else if (command == FocusPreviousCommand)
        MoveFocus(window, FocusDirection::Previous);
    else
        PostEvent(MenuEvent, command, window, 0);
}

// Sees every key press of the application before its receiver does. A press
// that matches the table of the window holding the receiver becomes that
// window's command; the override request is accepted first so that Qt hands
// the press to us instead of treating it as one of its own shortcuts.
class ShortcutFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        auto* widget = qobject_cast<QWidget*>(receiver);
        int window = widget ? WindowNumberOf(widget) : -1;
        if (window < 0)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        auto value = ShortcutValueOf(*key);
        int command = value ? ShortcutCommand(window, *value) : -1;
        if (command < 0)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        RunCommand(window, command);
        return true;
    }
};

QPointer<ShortcutFilter> filter;

void InstallFilter() {
    if (filter || !QCoreApplication::instance())
        return;
    filter = new ShortcutFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

}  // namespace

void ResetShortcutTable(int window) {
    InstallFilter();
    ShortcutTable& table = tables[window];
    table.entries = {{0, TabKey, FocusNextCommand}, {ShortcutShift, TabKey, FocusPreviousCommand}};
    Rebuild(table);
}

void ForgetShortcutTable(int window) { tables.erase(window); }

int ShortcutCommand(int window, std::uint32_t keyAndModifiers) {
    auto table = tables.find(window);
    if (table == tables.end())
        return -1;
    auto entry = table->second.lookup.find(keyAndModifiers & (ModifierMask | KeyCodeMask));
    return entry == table->second.lookup.end() ? -1 : entry->second;
}

void AddShortcut(int window, std::uint32_t keyAndModifiers, int commandId) {
    auto table = tables.find(window);
    if (table == tables.end())
        return;
    auto key = static_cast<std::uint16_t>(keyAndModifiers & KeyCodeMask);
    std::uint32_t modifiers = keyAndModifiers & ModifierMask;
    std::vector<ShortcutEntry>& entries = table->second.entries;
    bool replaced = false;
    for (ShortcutEntry& entry : entries) {
        if (entry.key == key && entry.modifiers == modifiers) {
            entry.command = commandId;
            replaced = true;
        }
    }
    if (!replaced)
        entries.push_back({modifiers, key, commandId});
    Rebuild(table->second);
}

void SetTabStopSource(TabStopSource source) { tabStops = std::move(source); }

void MoveFocus(int window, FocusDirection direction) {
    if (!tabStops)
        return;
    std::vector<QWidget*> candidates;
    for (QWidget* widget : tabStops(window))
        if (widget && widget->isEnabled() && widget->isVisible())
            candidates.push_back(widget);
    if (candidates.empty())
        return;
    const int count = static_cast<int>(candidates.size());
    QWidget* focused = QApplication::focusWidget();
    int current = -1;
    for (int i = 0; i < count && focused; ++i)
        if (candidates[i] == focused || candidates[i]->isAncestorOf(focused))
            current = i;
    int next = 0;
    if (direction == FocusDirection::Next)
        next = current < 0 ? 0 : (current + 1) % count;
    else
        next = current < 0 ? count - 1 : (current + count - 1) % count;
    candidates[static_cast<std::size_t>(next)]->setFocus(direction == FocusDirection::Next ? Qt::TabFocusReason
                                                                                           : Qt::BacktabFocusReason);
}

}  // namespace toolkit
