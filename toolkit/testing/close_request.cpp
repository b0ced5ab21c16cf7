// Test tool: asks a top-level window to close the way a window manager does
// when the user clicks its close box, by sending WM_DELETE_WINDOW inside a
// WM_PROTOCOLS client message. With no window manager running (Xvfb) nothing
// else can deliver that request.
//
//     close_request <window id, decimal or 0x hexadecimal>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: close_request <window id>\n");
        return 2;
    }
    char* end = nullptr;
    unsigned long window = std::strtoul(argv[1], &end, 0);
    if (*argv[1] == '\0' || *end != '\0' || window == 0) {
        std::fprintf(stderr, "close_request: not a window id: %s\n", argv[1]);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "close_request: cannot connect to the display\n");
        xcb_disconnect(connection);
        return 1;
    }
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window);
    message.type = Atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_void_cookie_t sent = xcb_send_event_checked(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
                                                    reinterpret_cast<const char*>(&message));
    xcb_generic_error_t* error = xcb_request_check(connection, sent);
    int status = 0;
    if (error) {
        std::fprintf(stderr, "close_request: the server refused the message (error %d)\n", error->error_code);
        std::free(error);
        status = 1;
    }
    xcb_disconnect(connection);
    return status;
}
