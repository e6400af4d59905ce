#include "platform/x11/X11WindowHints.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xatom.h>

namespace quillo {

namespace {

constexpr long allDesktops = 0xFFFFFFFF;
constexpr long netWmStateAdd = 1;
constexpr long sourceApplication = 1;

void sendToRoot(Display *display, Window window, Atom type, long a, long b, long c)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = a;
    event.xclient.data.l[1] = b;
    event.xclient.data.l[2] = c;
    event.xclient.data.l[3] = sourceApplication;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

} // namespace

struct X11WindowHints::Connection {
    X11Display display = openX11Display();
};

X11WindowHints::X11WindowHints(bool bypassWindowManager)
    : connection_(std::make_unique<Connection>())
    , bypass_(bypassWindowManager)
{
}

X11WindowHints::~X11WindowHints() = default;

void X11WindowHints::showOnAllWorkspaces(quintptr nativeId)
{
    Display *display = connection_->display.get();
    if (!display || nativeId == 0)
        return;
    const auto window = static_cast<Window>(nativeId);
    // The window may be gone by the time the server reads this; that is not fatal.
    X11ErrorTrap trap(display);
    const Atom desktop = XInternAtom(display, "_NET_WM_DESKTOP", False);
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom sticky = XInternAtom(display, "_NET_WM_STATE_STICKY", False);
    const Atom above = XInternAtom(display, "_NET_WM_STATE_ABOVE", False);
    // The property covers a window not yet managed; the messages a managed one.
    const long everywhere = allDesktops;
    XChangeProperty(display, window, desktop, XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<const unsigned char *>(&everywhere), 1);
    sendToRoot(display, window, desktop, allDesktops, sourceApplication, 0);
    sendToRoot(display, window, state, netWmStateAdd, static_cast<long>(sticky), static_cast<long>(above));
    XFlush(display);
}

} // namespace quillo
