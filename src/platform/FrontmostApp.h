#pragma once

#include <QString>

#include <optional>

namespace quillo {

// The application that owns the focused window.
struct AppIdentity {
    // Stable identifier: the desktop entry id ("org.gnome.Terminal", "debian-xterm")
    // when one is found, else the window class ("XTerm", "Tk").
    QString identifier;
    // Readable name for the history: the desktop entry's Name, else the window class.
    QString name;
    // WM_CLASS of the window: class and instance parts.
    QString windowClass;
    QString windowInstance;
    // Process id when the window declares one, else 0.
    qint64 pid = 0;
    // A native Wayland window: X11 cannot paste into it (XWayland windows are X11 ones).
    bool nativeWayland = false;
    // Which window, where the platform tells (an X11 window id, a compositor's window id);
    // empty otherwise. Two windows of one application differ here.
    QString window{};

    friend bool operator==(const AppIdentity &, const AppIdentity &) = default;
};

class FrontmostApp {
public:
    virtual ~FrontmostApp() = default;

    // None when no window has the focus or the platform cannot say.
    virtual std::optional<AppIdentity> current() = 0;
};

} // namespace quillo
