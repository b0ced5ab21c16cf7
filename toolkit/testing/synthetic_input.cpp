#include "toolkit/testing/synthetic_input.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest/qtestkeyboard.h>
#include <QtTest/qtestmouse.h>

#include "toolkit/controls/control_qt.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit::testing {
namespace {

// Far enough apart that two presses never make a double click by accident.
constexpr int PressGapMilliseconds = 1000;

Qt::MouseButtons held;
int clock = 0;

QWindow* NativeWindow(int window) {
    QMainWindow* top = TopWindowOfNumber(window);
    return top ? top->windowHandle() : nullptr;
}

Qt::MouseButton QtButton(PointerButton button) {
    switch (button) {
    case PointerButton::Left: return Qt::LeftButton;
    case PointerButton::Right: return Qt::RightButton;
    default: return Qt::MiddleButton;
    }
}

Qt::KeyboardModifiers QtModifiers(std::uint32_t modifiers) {
    Qt::KeyboardModifiers qt;
    qt.setFlag(Qt::ShiftModifier, modifiers & WithShift);
    qt.setFlag(Qt::ControlModifier, modifiers & WithControl);
    qt.setFlag(Qt::AltModifier, modifiers & WithAlt);
    return qt;
}

void MouseAt(QWindow* window, QPoint position, Qt::MouseButton button, QEvent::Type type) {
    if (!window)
        return;
    clock += 1;
    qt_handleMouseEvent(window, QPointF(position), window->mapToGlobal(QPointF(position)), held, button, type,
                        QGuiApplication::keyboardModifiers(), clock);
}

void Click(QWindow* window, QPoint position) {
    held |= Qt::LeftButton;
    MouseAt(window, position, Qt::LeftButton, QEvent::MouseButtonPress);
    held &= ~Qt::LeftButton;
    MouseAt(window, position, Qt::LeftButton, QEvent::MouseButtonRelease);
    clock += PressGapMilliseconds;
}

int QtKey(int key, std::uint32_t modifiers) {
    switch (key) {
    case BackspaceKey: return Qt::Key_Backspace;
    case TabKey: return modifiers & WithShift ? Qt::Key_Backtab : Qt::Key_Tab;
    case ReturnKey: return Qt::Key_Return;
    case EscapeKey: return Qt::Key_Escape;
    case SpaceKey: return Qt::Key_Space;
    case EndKey: return Qt::Key_End;
    case HomeKey: return Qt::Key_Home;
    case LeftKey: return Qt::Key_Left;
    case UpKey: return Qt::Key_Up;
    case RightKey: return Qt::Key_Right;
    case DownKey: return Qt::Key_Down;
    case DeleteKey: return Qt::Key_Delete;
    default: return key;  // letters and digits are their own Qt keys
    }
}

void KeyPressAndRelease(QWindow* window, int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
    if (!window)
        return;
    qt_handleKeyEvent(window, QEvent::KeyPress, qtKey, modifiers, text);
    qt_handleKeyEvent(window, QEvent::KeyRelease, qtKey, modifiers, text);
}

QMenuBar* BarOf(int window) {
    QMainWindow* top = TopWindowOfNumber(window);
    return top ? qobject_cast<QMenuBar*>(top->menuWidget()) : nullptr;
}

QAction* FindAction(const QList<QAction*>& actions, const std::string& text) {
    const QString wanted = QString::fromUtf8(text.c_str());
    for (QAction* action : actions)
        if (!action->isSeparator() && action->text().section(QLatin1Char('\t'), 0, 0) == wanted)
            return action;
    return nullptr;
}

// Clicks the bar title; answers its drop-down when it opened.
QMenu* ClickTitle(int window, QAction* title) {
    QMenuBar* bar = BarOf(window);
    QMainWindow* top = TopWindowOfNumber(window);
    const QRect place = bar->actionGeometry(title);
    if (place.isEmpty())
        return nullptr;
    Click(top->windowHandle(), bar->mapTo(top, place.center()));
    QMenu* dropDown = title->menu();
    return dropDown && dropDown->isVisible() ? dropDown : nullptr;
}

QWidget* WidgetAt(int window, int x, int y, QPoint& local) {
    QMainWindow* top = TopWindowOfNumber(window);
    if (!top)
        return nullptr;
    QWidget* widget = top->childAt(x, y);
    if (!widget)
        widget = top;
    local = widget->mapFrom(top, QPoint(x, y));
    return widget;
}

Qt::DropActions QtActions(int offered) {
    Qt::DropActions actions;
    actions.setFlag(Qt::CopyAction, offered & OfferCopy);
    actions.setFlag(Qt::MoveAction, offered & OfferMove);
    actions.setFlag(Qt::LinkAction, offered & OfferLink);
    return actions;
}

void Drag(int window, int x, int y, const QMimeData& data, int offered, DragEnd end) {
    QPoint local;
    QPointer<QWidget> widget = WidgetAt(window, x, y, local);
    if (!widget)
        return;
    const Qt::DropActions actions = QtActions(offered);
    QDragEnterEvent enter(local, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted() || !widget)
        return;
    QDragMoveEvent move(local, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    if (!widget)
        return;
    if (end == DragEnd::Drop && move.isAccepted()) {
        QDropEvent drop(QPointF(local), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &drop);
    } else {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(widget, &leave);
    }
}

}  // namespace

bool ControlPlace(int control, Place& place) {
    Control* record = FindControl(control);
    if (!record || !record->widget())
        return false;
    QWidget* widget = record->widget();
    const QPoint corner = widget->mapTo(widget->window(), QPoint(0, 0));
    place = {corner.x(), corner.y(), widget->width(), widget->height()};
    return true;
}

bool WindowPlace(int window, Place& place) {
    QMainWindow* top = TopWindowOfNumber(window);
    if (!top)
        return false;
    place = {0, 0, top->width(), top->height()};
    return true;
}

bool WindowScreenPlace(int window, Place& place) {
    QMainWindow* top = TopWindowOfNumber(window);
    if (!top)
        return false;
    const QRect frame = top->frameGeometry();
    place = {frame.x(), frame.y(), top->width(), top->height()};
    return true;
}

void MovePointer(int window, int x, int y) {
    MouseAt(NativeWindow(window), QPoint(x, y), Qt::NoButton, QEvent::MouseMove);
}

void PressButton(int window, PointerButton button, int x, int y) {
    held |= QtButton(button);
    MouseAt(NativeWindow(window), QPoint(x, y), QtButton(button), QEvent::MouseButtonPress);
}

void ReleaseButton(int window, PointerButton button, int x, int y) {
    held &= ~QtButton(button);
    MouseAt(NativeWindow(window), QPoint(x, y), QtButton(button), QEvent::MouseButtonRelease);
    clock += PressGapMilliseconds;
}

void DoubleClick(int window, PointerButton button, int x, int y) {
    QWindow* native = NativeWindow(window);
    const Qt::MouseButton qt = QtButton(button);
    for (int press = 0; press < 2; ++press) {
        held |= qt;
        MouseAt(native, QPoint(x, y), qt, QEvent::MouseButtonPress);
        held &= ~qt;
        MouseAt(native, QPoint(x, y), qt, QEvent::MouseButtonRelease);
    }
    clock += PressGapMilliseconds;
}

void TurnWheel(int window, int x, int y, int units) {
    QPoint local;
    QWidget* widget = WidgetAt(window, x, y, local);
    if (!widget)
        return;
    QWheelEvent wheel(QPointF(local), QPointF(widget->mapToGlobal(local)), QPoint(), QPoint(0, units), held,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

void PressKey(int window, int key, std::uint32_t modifiers) {
    QString text;
    if (!(modifiers & (WithControl | WithAlt))) {
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
            text = QChar(modifiers & WithShift ? key : QChar(key).toLower().unicode());
        else if (key == SpaceKey)
            text = QStringLiteral(" ");
    }
    KeyPressAndRelease(NativeWindow(window), QtKey(key, modifiers), QtModifiers(modifiers), text);
}

void TypeText(int window, const std::string& text) {
    QWindow* native = NativeWindow(window);
    for (QChar c : QString::fromUtf8(text.c_str(), static_cast<qsizetype>(text.size()))) {
        const char16_t upper = c.toUpper().unicode();
        const int key = upper < 0x100 ? upper : 0;
        KeyPressAndRelease(native, key, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c));
    }
}

bool ChooseMenuItem(int window, const std::string& title, const std::string& item, MenuRoute route) {
    QMenuBar* bar = BarOf(window);
    QAction* titleAction = bar ? FindAction(bar->actions(), title) : nullptr;
    if (!titleAction)
        return false;
    QAction* action = titleAction;
    if (!item.empty()) {
        action = titleAction->menu() ? FindAction(titleAction->menu()->actions(), item) : nullptr;
        if (!action)
            return false;
    }
    if (route == MenuRoute::Action) {
        action->trigger();
        return true;
    }
    QMenu* dropDown = ClickTitle(window, titleAction);
    if (action == titleAction) {
        if (dropDown)
            dropDown->hide();
        return true;
    }
    if (!dropDown) {  // the bar was not laid out yet: the item is still there
        action->trigger();
        return true;
    }
    const QRect place = dropDown->actionGeometry(action);
    Click(dropDown->windowHandle(), place.center());
    if (dropDown->isVisible())
        dropDown->hide();
    return true;
}

void OpenAndDismissMenu(int window, const std::string& title) {
    QMenuBar* bar = BarOf(window);
    QAction* titleAction = bar ? FindAction(bar->actions(), title) : nullptr;
    if (!titleAction)
        return;
    if (QMenu* dropDown = ClickTitle(window, titleAction)) {
        KeyPressAndRelease(dropDown->windowHandle(), Qt::Key_Escape, Qt::NoModifier, QString());
        if (dropDown->isVisible())
            dropDown->hide();
    }
}

void DragFiles(int window, int x, int y, const std::vector<std::string>& paths, int offered, DragEnd end) {
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls.push_back(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
    QMimeData data;
    data.setUrls(urls);
    Drag(window, x, y, data, offered, end);
}

void DragText(int window, int x, int y, const std::string& text, int offered) {
    QMimeData data;
    data.setText(QString::fromUtf8(text.c_str(), static_cast<qsizetype>(text.size())));
    Drag(window, x, y, data, offered, DragEnd::Drop);
}

void ActivateWindow(int window) {
    QMainWindow* top = TopWindowOfNumber(window);
    if (top && !top->isActiveWindow() && !QApplication::activePopupWidget())
        top->activateWindow();
}

void RequestClose(int window) {
    if (QMainWindow* top = TopWindowOfNumber(window))
        top->close();
}

namespace {
QtMessageHandler passOn = nullptr;

void FilterNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (passOn)
        passOn(type, context, message);
}
}  // namespace

void QuietPlatformNotes() {
    QtMessageHandler previous = qInstallMessageHandler(FilterNotes);
    if (previous != FilterNotes)
        passOn = previous;
}

void WakeEventLoop() {
    if (QCoreApplication* application = QCoreApplication::instance())
        QCoreApplication::postEvent(application, new QEvent(QEvent::User));
}

}  // namespace toolkit::testing
