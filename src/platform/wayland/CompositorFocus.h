#pragma once

#include <QString>

#include <optional>

namespace quillo {

// The focused window as a compositor's own interface describes it.
struct CompositorWindow {
    QString appId; // a native window's app_id; for an XWayland window its WM_CLASS class
    QString x11Instance; // WM_CLASS instance of an XWayland window
    QString title;
    qint64 pid = 0;
    bool xwayland = false;
    QString id{}; // the compositor's id of the window (sway's node id, Hyprland's address)

    friend bool operator==(const CompositorWindow &, const CompositorWindow &) = default;
};

// Asks the compositor which window has the keyboard focus.
class CompositorFocus {
public:
    virtual ~CompositorFocus() = default;

    // None when no window has the focus (an empty workspace) or the compositor did not answer.
    virtual std::optional<CompositorWindow> focusedWindow() = 0;
};

} // namespace quillo
