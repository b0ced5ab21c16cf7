#include <cstdlib>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include "toolkit/canvas/canvas_qt.h"

namespace toolkit {
namespace {

xcb_connection_t* X11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

void PrepareConfinement(QWidget* widget) {
    if (!X11Connection())
        return;
    // A window of its own for the canvas, without turning its siblings native too.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    widget->winId();
}

bool ConfinePointerTo(QWidget* widget) {
    xcb_connection_t* connection = X11Connection();
    if (!connection || !widget->testAttribute(Qt::WA_NativeWindow))
        return false;
    const auto window = static_cast<xcb_window_t>(widget->winId());
    // Qt holds its own grab from the press; a confining grab is refused until it goes.
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    constexpr std::uint16_t mask = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                   XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                   XCB_EVENT_MASK_LEAVE_WINDOW;
    xcb_grab_pointer_cookie_t cookie = xcb_grab_pointer(connection, 1, window, mask, XCB_GRAB_MODE_ASYNC,
                                                        XCB_GRAB_MODE_ASYNC, window, XCB_NONE, XCB_CURRENT_TIME);
    xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(connection, cookie, nullptr);
    const bool confined = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    return confined;
}

void ReleasePointerConfinement() {
    if (xcb_connection_t* connection = X11Connection()) {
        xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
}

}  // namespace toolkit
