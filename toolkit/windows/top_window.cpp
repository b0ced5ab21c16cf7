#include <algorithm>
#include <map>

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QScreen>

#include "toolkit/windows/events.h"
#include "toolkit/windows/toolkit_start.h"
#include "toolkit/windows/window_qt.h"
#include "toolkit/windows/windows.h"

namespace toolkit {
namespace {

// A top-level window: its close box asks, the program decides.
class TopWindow : public QMainWindow {
public:
    explicit TopWindow(int number) : number_(number) {}
    int number() const { return number_; }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        PostEvent(CloseWindowEvent, number_, number_, 0);
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange)
            Post(isActiveWindow() ? WindowActivatedEvent : WindowDeactivatedEvent);
        else if (event->type() == QEvent::WindowStateChange)
            Post(isMinimized() ? WindowMinimisedEvent : isMaximized() ? WindowMaximisedEvent : WindowRestoredEvent);
        QMainWindow::changeEvent(event);
    }
    void moveEvent(QMoveEvent* event) override {
        Post(WindowMovedEvent);
        QMainWindow::moveEvent(event);
    }
    void resizeEvent(QResizeEvent* event) override {
        Post(WindowResizedEvent);
        QMainWindow::resizeEvent(event);
    }

private:
    void Post(std::int32_t kind) { PostEvent(kind, number_, number_, 0); }
    int number_;
};

std::map<int, TopWindow*> windows;
int containerWindow = -1;

TopWindow* Find(int number) {
    auto it = windows.find(number);
    return it == windows.end() ? nullptr : it->second;
}

void Destroy(int number) {
    TopWindow* window = Find(number);
    if (!window)
        return;
    windows.erase(number);
    ForgetShortcutTable(number);
    if (containerWindow == number)
        containerWindow = -1;
    delete window;
}

Qt::WindowFlags QtFlags(std::uint32_t flags) {
    Qt::WindowFlags result = Qt::Window | Qt::CustomizeWindowHint;
    if (flags & WindowToolWindow)
        result |= Qt::Tool;
    constexpr std::uint32_t optionsOnly =
        WindowCentreOnScreen | WindowCentreOnActive | WindowNotContainer | WindowHidden;
    if ((flags & WindowTitleBar) == WindowTitleBar || (flags & ~optionsOnly) == 0)
        result |= Qt::WindowTitleHint;
    if (flags & WindowSystemMenu)
        result |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (flags & WindowMinimizeBox)
        result |= Qt::WindowMinimizeButtonHint;
    if (flags & WindowMaximizeBox)
        result |= Qt::WindowMaximizeButtonHint;
    return result;
}

void Place(TopWindow* window, int x, int y, std::uint32_t flags) {
    QWidget* active = QApplication::activeWindow();
    if ((flags & WindowCentreOnActive) && active) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(active->frameGeometry().center());
        window->move(frame.topLeft());
    } else if (flags & (WindowCentreOnScreen | WindowCentreOnActive)) {
        if (QScreen* screen = QApplication::primaryScreen()) {
            QRect frame = window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    } else if (x != DefaultPosition && y != DefaultPosition) {
        window->move(x, y);  // a top-level's position is that of its frame
    }
}

void Show(TopWindow* window, std::uint32_t flags) {
    if (flags & WindowHidden)
        return;
    if (flags & WindowOpenMaximised) {
        window->showMaximized();
    } else if (flags & WindowOpenMinimised) {
        window->showMinimized();
    } else if (flags & WindowNoActivate) {
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->show();
    } else {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

}  // namespace

std::intptr_t CreateTopWindow(int number, int x, int y, int width, int height, const std::string& title,
                              std::uint32_t flags) {
    if (!ToolkitStarted())
        return 0;
    Destroy(number);
    auto* window = new TopWindow(number);
    window->setWindowFlags(QtFlags(flags));
    window->setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    window->setAttribute(Qt::WA_AlwaysShowToolTips);  // tips show in an inactive window too
    auto* inner = new QWidget(window);
    inner->setObjectName(QStringLiteral("innerArea"));
    window->setCentralWidget(inner);
    window->resize(std::max(width, 1), std::max(height, 1));
    if (!(flags & WindowSizingBorder))
        window->setFixedSize(window->size());
    windows[number] = window;
    ResetShortcutTable(number);
    Place(window, x, y, flags);
    Show(window, flags);
    if (!(flags & WindowNotContainer))
        containerWindow = number;
    return reinterpret_cast<std::intptr_t>(window);
}

void SetProgramIcon(const std::uint32_t* argbPixels, int width, int height) {
    if (!argbPixels || width <= 0 || height <= 0 || !ToolkitStarted())
        return;
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
        for (int column = 0; column < width; ++column)
            line[column] = argbPixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                                      static_cast<std::size_t>(column)];
    }
    QIcon icon(QPixmap::fromImage(picture));
    QApplication::setWindowIcon(icon);
    for (auto& [number, window] : windows)
        window->setWindowIcon(icon);
}

NativeHandle WindowHandle(int number) { return reinterpret_cast<NativeHandle>(Find(number)); }

void SetWindowCaption(int number, const char* text) {
    if (!text)
        return;
    // A pointer moving within one cell sets the same title again: no title
    // change need reach the window system then.
    if (TopWindow* window = Find(number)) {
        const QString title = QString::fromUtf8(text);
        if (window->windowTitle() != title)
            window->setWindowTitle(title);
    }
}

std::string WindowCaption(int number) {
    TopWindow* window = Find(number);
    return window ? window->windowTitle().toStdString() : std::string();
}

QWidget* CurrentContainerWidget() {
    TopWindow* window = Find(containerWindow);
    return window ? window->centralWidget() : nullptr;
}

int CurrentContainerWindow() { return Find(containerWindow) ? containerWindow : -1; }

QWidget* TopWindowWidget(int number) { return Find(number); }

QMainWindow* TopWindowOfNumber(int number) { return Find(number); }

QMainWindow* TopWindowOfHandle(std::uintptr_t handle) {
    for (auto& [number, window] : windows)
        if (reinterpret_cast<std::uintptr_t>(window) == handle)
            return window;
    return nullptr;
}

int WindowNumberOf(const QWidget* widget) {
    if (!widget)
        return -1;
    for (auto& [number, window] : windows)
        if (window == widget->window())
            return number;
    return -1;
}

void DestroyAllWindows() {
    while (!windows.empty())
        Destroy(windows.begin()->first);
}

}  // namespace toolkit
