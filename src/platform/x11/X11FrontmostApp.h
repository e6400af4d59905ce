#pragma once

#include <memory>

#include "platform/FrontmostApp.h"
#include "platform/x11/DesktopEntryIndex.h"

namespace quillo {

// The application of the focused window on X11: the window manager's active
// window (EWMH _NET_ACTIVE_WINDOW), else the top level of the input focus; its
// WM_CLASS; its desktop entry found by window class or by the executable of its
// _NET_WM_PID. Uses its own X connection.
class X11FrontmostApp final : public FrontmostApp {
public:
    X11FrontmostApp();
    explicit X11FrontmostApp(DesktopEntryIndex entries);
    ~X11FrontmostApp() override;

    std::optional<AppIdentity> current() override;

private:
    unsigned long focusedWindow();
    unsigned long windowWithClass(unsigned long window);

    // Xlib stays out of this header: its macros (None, Bool, Status...) break Qt headers.
    struct Connection;
    std::unique_ptr<Connection> x_;
    DesktopEntryIndex entries_;
};

} // namespace quillo
