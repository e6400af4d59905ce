#pragma once

#include <QtGlobal>

namespace quillo {

// Desktop-shell requests for a floating overlay that the toolkit cannot express,
// such as staying visible on every workspace.
class WindowHints {
public:
    virtual ~WindowHints() = default;

    // nativeId is the window's platform id (an X window on X11); called once it exists.
    virtual void showOnAllWorkspaces(quintptr nativeId) = 0;
    // The overlay places itself outside the window manager: where a compositor manages X11
    // windows (XWayland under sway) a managed overlay is centred and takes the focus.
    virtual bool bypassWindowManager() const { return false; }
};

} // namespace quillo
