#pragma once

#include <QString>

namespace quillo {

// The desktop's own place for changing global shortcuts, for portals that cannot open
// it themselves (ConfigureShortcuts came with version 2 of the portal).
class DesktopShortcutSettings {
public:
    enum class Desktop { kde, gnome, hyprland, other };

    // From XDG_CURRENT_DESKTOP (a colon-separated list, e.g. "ubuntu:GNOME").
    static Desktop fromCurrentDesktop(const QString &currentDesktop);
    static Desktop current();

    // Starts the desktop's settings program there; false when there is none to start.
    static bool open(Desktop desktop);
};

} // namespace quillo
