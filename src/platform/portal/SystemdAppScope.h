#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace quillo {

// Portals without a host registry (before 1.19: Debian 12, Ubuntu 24.04) know a program
// that is not sandboxed only by its systemd unit, `app-<id>-<anything>.scope`; without one
// its app id is empty, and KDE then names our shortcuts after the session alone. A program
// started from a terminal or an autostart script is in no such unit, so it asks the
// user's systemd to put it into one of its own.
class SystemdAppScope {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{1500};

    // The user unit a process is in, from its /proc/<pid>/cgroup text; none outside the
    // user's manager.
    static std::optional<QString> userUnit(const QString &cgroupText);
    // The app id the portals read from a unit name; empty when it carries none.
    static QString appIdOfUnit(const QString &unit);
    // The unit name for this program's own scope.
    static QString scopeName(const QString &appId, qint64 pid);

    struct Outcome {
        bool inScope = false; // the portals will read the app id from our unit
        QString detail; // "already in …", "moved to …", or why not
    };

    // Makes sure the portals will read `appId` for this process, then runs `done` on the
    // main thread with what happened. Never blocks; gives up after `timeout`. `context`
    // bounds the callbacks' life.
    static void ensure(const QDBusConnection &bus, const QString &appId, QObject *context,
        std::function<void(const Outcome &)> done, std::chrono::milliseconds timeout = defaultTimeout);
};

} // namespace quillo
