#pragma once

namespace quillo {

// The windowing platform of the desktop modes, from what the session offers.
struct DesktopSession {
    bool x11 = false; // $DISPLAY names a reachable X server (XWayland included)
    bool wayland = false; // $WAYLAND_DISPLAY is set

    static DesktopSession current();

    bool any() const { return x11 || wayland; }
    // Windows go through X11 wherever it exists, XWayland included: only an X11 window may
    // place itself (the panel above the bottom edge); on Wayland alone the compositor places it.
    const char *qtPlatform() const { return x11 ? "xcb" : "wayland"; }
};

} // namespace quillo
