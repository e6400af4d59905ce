#include "platform/x11/X11WindowHints.h"

#include "platform/x11/X11Display.h"

#include <X11/Xatom.h>

namespace quillo {

struct X11WindowHints::Connection {
    X11Display display = openX11Display();
};

X11WindowHints::X11WindowHints() : connection_(std::make_unique<Connection>()) {}

X11WindowHints::~X11WindowHints() = default;

void X11WindowHints::showOnAllWorkspaces(quintptr nativeId)
{
    Display *d = connection_->display.get();
    if (!d || nativeId == 0)
        return;
    const Window window = static_cast<Window>(nativeId);
    const long allDesktops = 0xFFFFFFFF;
    XChangeProperty(d, window, XInternAtom(d, "_NET_WM_DESKTOP", False), XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<const unsigned char *>(&allDesktops), 1);

    // A mapped window asks the window manager; an unmapped one states it up front.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1; // _NET_WM_STATE_ADD
    event.xclient.data.l[1] = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_STICKY", False));
    event.xclient.data.l[3] = 1; // from a normal application
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(d);
}

} // namespace quillo
