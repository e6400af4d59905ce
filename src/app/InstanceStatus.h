#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>

namespace quillo {

// What the running Quillo answers a status request with (quillo --doctor asks): how a
// dictation starts and reaches the window focused now, and whether the key is there.
// One line of JSON; the key itself is never part of it.
struct InstanceStatus {
    QString version;
    QString hotkeys; // "portal", "x11" or "none": where hot key presses come from now
    QString shortcuts; // the portal shortcuts' state ("bound", "refused", …); empty without them
    QString shortcutsProblem;
    std::map<QString, QString> triggers; // portal shortcut id → the desktop's trigger description
    QString paste; // the route for the window focused now (WaylandDesktop::routeName, "x11" on X11)
    QString remoteDesktop; // the RemoteDesktop portal session's state; empty when not used
    QString focusedApp;
    bool keyChecked = false; // the key store has been read since start
    bool keyStored = false;
    bool portalRegistered = false;
    QString scope; // how the portal knows the program without a registry (its systemd unit)
    bool inScope = false; // in a unit that carries the app id
    QString lastDictation; // where the last dictation's time went (DictationTimings); empty: none yet

    QByteArray toLine() const;
    // None for a line that is not such an object.
    static std::optional<InstanceStatus> fromLine(const QString &line);
};

} // namespace quillo
