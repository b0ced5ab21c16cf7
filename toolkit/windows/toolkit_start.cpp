#include "toolkit/windows/toolkit_start.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <QApplication>
#include <QGuiApplication>

#include "toolkit/windows/events.h"
#include "toolkit/windows/window_qt.h"

namespace toolkit {
namespace {

int argumentCount = 1;
char programName[] = "scrlab";
char* arguments[] = {programName, nullptr};

QApplication* application = nullptr;
std::string startError;
QString firstStartWarning;
bool starting = false;
std::vector<std::function<void()>> shutdownSteps;

QString FirstLine(const QString& text) { return text.section(QLatin1Char('\n'), 0, 0).trimmed(); }

// Qt ends the process with abort() when it cannot reach the window system;
// during start-up that becomes one readable line and exit status 1 instead.
void StartMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (!starting) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "scrlab: %s\n", qPrintable(FirstLine(message)));
            std::fflush(stderr);
            std::_Exit(1);
        }
        if (type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
        return;
    }
    if (type == QtFatalMsg) {
        QString reason = firstStartWarning.isEmpty() ? FirstLine(message) : firstStartWarning;
        std::fprintf(stderr, "scrlab: cannot start the window system: %s\n", qPrintable(reason));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (type == QtWarningMsg || type == QtCriticalMsg) {
        if (firstStartWarning.isEmpty())
            firstStartWarning = FirstLine(message);
    }
}

bool DisplayReachable() {
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        startError = "cannot open a window: no display (DISPLAY is not set)";
        return false;
    }
    return true;
}

}  // namespace

bool StartToolkit() {
    if (application)
        return true;
    startError.clear();
    if (!DisplayReachable())
        return false;
    starting = true;
    firstStartWarning.clear();
    qInstallMessageHandler(StartMessageHandler);
    application = new QApplication(argumentCount, arguments);
    starting = false;
    QApplication::setApplicationName(QStringLiteral("scrlab"));
    QApplication::setQuitOnLastWindowClosed(false);
    return true;
}

std::string ToolkitStartError() { return startError; }

bool ToolkitStarted() { return application != nullptr; }

void AddShutdownStep(std::function<void()> step) { shutdownSteps.push_back(std::move(step)); }

void ShutdownToolkit() {
    ClearEventQueue();
    while (!shutdownSteps.empty()) {
        auto step = std::move(shutdownSteps.back());
        shutdownSteps.pop_back();
        step();
    }
    DestroyAllWindows();
    ClearEventQueue();
    delete application;
    application = nullptr;
}

}  // namespace toolkit
