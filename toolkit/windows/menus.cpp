// Menu bars built call by call: drop-downs nest below the current menu, and a
// title always goes back to the bar first.

#include <map>
#include <vector>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

// Deeper nesting than this is refused rather than lost track of.
constexpr std::size_t MaxMenuDepth = 64;

struct MenuRecord {
    QPointer<QMenuBar> bar;
    QPointer<QMainWindow> owner;
};

// The bar being built and the menu items are appended to.
struct MenuBuilding {
    QPointer<QMenuBar> bar;
    QPointer<QMainWindow> owner;
    QPointer<QWidget> current;
    std::vector<QPointer<QWidget>> parents;
};

std::map<int, MenuRecord> menus;
MenuBuilding building;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ForgetClosedMenus() {
    for (auto it = menus.begin(); it != menus.end();)
        it = it->second.bar ? std::next(it) : menus.erase(it);
}

// The bar appears in its window with its first title or command item.
void ShowBar() {
    if (!building.bar || !building.owner)
        return;
    if (building.owner->menuWidget() != building.bar) {
        building.owner->setMenuBar(building.bar);
        building.bar->show();
    }
}

}  // namespace

std::intptr_t CreateMenuBar(int menu, NativeHandle owner) {
    ForgetClosedMenus();
    QMainWindow* window = TopWindowOfHandle(owner);
    if (!window)
        return 0;
    auto old = menus.find(menu);
    if (old != menus.end()) {
        delete old->second.bar.data();
        menus.erase(old);
    }
    auto* bar = new QMenuBar(window);
    bar->hide();  // until it has something to show
    menus[menu] = MenuRecord{bar, window};
    building = MenuBuilding{bar, window, bar, {}};
    return reinterpret_cast<std::intptr_t>(bar);
}

void CreateSubmenu(const std::string& text) {
    if (!building.current || building.parents.size() >= MaxMenuDepth)
        return;
    auto* dropDown = new QMenu(FromUtf8(text), building.current);
    building.current->addAction(dropDown->menuAction());
    building.parents.push_back(building.current);
    building.current = dropDown;
    ShowBar();
}

void AddMenuTitle(const std::string& text) {
    if (!building.bar)
        return;
    building.parents.clear();
    building.current = building.bar;
    CreateSubmenu(text);
}

void CloseSubmenu() {
    if (building.parents.empty())
        return;
    building.current = building.parents.back();
    building.parents.pop_back();
}

void AddMenuCommand(int commandId, const std::string& text) {
    if (!building.current)
        return;
    // A tab in the text puts the rest in the menu's shortcut column; the
    // action itself gets no key, only AddShortcut binds one.
    auto* item = new QAction(FromUtf8(text), building.current);
    QObject::connect(item, &QAction::triggered, [commandId, owner = building.owner] {
        int window = WindowNumberOf(owner.data());
        PostEvent(MenuEvent, commandId, window, 0);
    });
    building.current->addAction(item);
    ShowBar();
}

void AddMenuSeparator() {
    if (!building.current)
        return;
    auto* separator = new QAction(building.current);
    separator->setSeparator(true);
    building.current->addAction(separator);
}

QMenuBar* MenuBarWidget(int menu) {
    auto it = menus.find(menu);
    return it == menus.end() ? nullptr : it->second.bar.data();
}

}  // namespace toolkit
