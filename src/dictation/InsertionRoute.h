#pragma once

namespace quillo {

// How a dictation's text reaches the focused window in a session that may mix
// native Wayland windows and X11 (XWayland) ones.
enum class InsertionRoute {
    x11, // X11 clipboard and XTest: the focused window is an X11 one
    waylandTools, // data-control clipboard and virtual keyboard (wl-copy, wtype)
    portal, // the RemoteDesktop portal's clipboard and keyboard
    clipboardOnly // nothing can paste: the text waits on the clipboard for the user
};

// What the session offers at the moment of one dictation.
struct InsertionFacts {
    bool focusIsX11 = false; // the focused window is known to be an X11 (XWayland) one
    bool x11Paste = false; // an X server with XTest
    bool waylandTools = false; // data-control + virtual keyboard, and wl-copy/wtype work
    bool portal = false; // the RemoteDesktop portal's keyboard (granted, or to be asked for)
    // The window that had the focus when the dictation started has lost it (to another
    // window, or to one of ours): a keystroke would land elsewhere.
    bool focusMoved = false;
};

// The preferred route: X11 for X11 windows; for the rest the compositor's protocols,
// then the portal; nothing is typed into a window the focus moved to. An X11 clipboard does not reliably reach Wayland
// windows, so X11 is never the route into a native (or unknown) window.
InsertionRoute chooseInsertionRoute(const InsertionFacts &facts);

} // namespace quillo
