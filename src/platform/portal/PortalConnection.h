#pragma once

#include "platform/portal/PortalSupport.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace quillo {

// The program's own connection to the desktop portal. Portals with a host registry take
// a program's id only from the very first portal call on a D-Bus connection, and Qt's
// platform theme may already have spoken to the portal over the shared session bus; so
// every portal call of this program goes over a connection of its own, registered first.
//
// It asks what the portal offers without blocking (registration, then the interfaces'
// versions, then whether a backend really serves GlobalShortcuts), and keeps watching
// the portal's name: a portal that restarts forgets our registration and our sessions,
// so it is registered with and asked again, and the owner is told. Main thread only.
class PortalConnection final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultTimeout{2000};

    // `bus` must not have made a portal call yet: openPrivate(), or a test's own connection.
    explicit PortalConnection(QDBusConnection bus, QString appId = QLatin1String(portalAppId),
        std::chrono::milliseconds timeout = defaultTimeout, QObject *parent = nullptr);
    ~PortalConnection() override;

    // A new connection to the session bus, used by nothing else.
    static QDBusConnection openPrivate();

    QDBusConnection bus() const { return bus_; }
    // Starts the first probe (and the watch). Nothing blocks; a missing portal answers at once.
    void start();
    // The last answer; none before the first.
    const std::optional<PortalSupport> &support() const { return support_; }

    // The portal answered: after start() and again after every restart of the portal.
    std::function<void(const PortalSupport &)> onAnswer;
    // The portal left the bus (its sessions are gone); an answer follows if it comes back.
    std::function<void()> onGone;

private:
    void probe();
    void onOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);

    QDBusConnection bus_;
    QString appId_;
    std::chrono::milliseconds timeout_;
    QDBusServiceWatcher watcher_;
    std::optional<PortalSupport> support_;
    // Owns the pending calls of the current probe: a new probe drops the old one's answers.
    std::unique_ptr<QObject> probeCalls_;
};

} // namespace quillo
