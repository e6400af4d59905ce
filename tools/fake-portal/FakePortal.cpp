#include "FakePortal.h"

#include <QDBusConnectionInterface>

namespace quillo::fakeportal {
namespace {

const QString portalName = QStringLiteral("org.freedesktop.portal.Desktop");
const QString controlName = QStringLiteral("org.quillo.FakePortal");

} // namespace

FakePortal::FakePortal(Profile profile)
    : core_(std::move(profile))
    , shortcuts_(core_)
    , remote_(core_)
    , clipboard_(core_)
    , registry_(core_)
    , control_(*this)
    , portalObject_([this](const QDBusMessage &message) { dispatch(message); })
    , controlObject_([this](const QDBusMessage &message) { control_.handle(message); })
{
    core_.onSessionGone = [this](const QString &path) { sessionGone(path); };
    callers_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(
        &callers_, &QDBusServiceWatcher::serviceUnregistered, [this](const QString &sender) { callerGone(sender); });
}

QString FakePortal::start()
{
    QDBusConnection control = QDBusConnection::sessionBus();
    if (!control.isConnected())
        return QStringLiteral("no session bus");
    if (!control.registerVirtualObject(controlPath, &controlObject_))
        return QStringLiteral("could not register the control object");
    callers_.setConnection(control);
    const QString problem = takePortalName();
    if (!problem.isEmpty())
        return problem;
    // Last: tests wait for this name as the sign that the portal is ready.
    if (!control.registerService(controlName))
        return QStringLiteral("%1 is taken").arg(controlName);
    return {};
}

// The portal on a connection of its own, so that a restart comes back under
// another unique name, as a new frontend process does.
QString FakePortal::takePortalName()
{
    portalConnection_ = QStringLiteral("fake-portal-%1").arg(++generation_);
    QDBusConnection portal = QDBusConnection::connectToBus(QDBusConnection::SessionBus, portalConnection_);
    if (!portal.isConnected())
        return QStringLiteral("no session bus for the portal");
    if (!portal.registerVirtualObject(desktopPath, &portalObject_, QDBusConnection::SubPath))
        return QStringLiteral("could not register the portal object");
    if (!portal.registerService(portalName))
        return QStringLiteral("%1 is taken").arg(portalName);
    core_.setBuses(QDBusConnection::sessionBus(), portal);
    return {};
}

void FakePortal::setProfile(const Profile &profile)
{
    core_.setProfile(profile);
    shortcuts_.useProfile();
}

QString FakePortal::pressKey(const Keysym &key, bool down)
{
    core_.log(QStringLiteral("%1 %2").arg(down ? QStringLiteral("Press") : QStringLiteral("Release"), key.name()));
    return down ? shortcuts_.keys().press(key) : shortcuts_.keys().release(key);
}

// As the desktop does when the user revokes access: each session emits
// Closed and is gone.
void FakePortal::closeSessions(const QString &kind)
{
    for (const QString &path : core_.sessions().keys()) {
        if (core_.sessions().value(path).kind == kind)
            core_.closeSession(path, true);
    }
}

// What lives in other processes stays: kglobalaccel's and GNOME Settings'
// shortcuts, persistent grants in the permission store.
void FakePortal::restart(bool announce)
{
    core_.log(QStringLiteral("Restart%1").arg(announce ? QStringLiteral(" announced") : QString()));
    core_.forgetAll(announce);
    remote_.forgetTransientGrants();
    shortcuts_.keys().reset();
    QDBusConnection old = core_.portalBus();
    // A round trip: the Closed signals leave before the connection does.
    old.interface()->isServiceRegistered(controlName);
    old.unregisterObject(desktopPath, QDBusConnection::UnregisterTree);
    old.unregisterService(portalName);
    QDBusConnection::disconnectFromBus(portalConnection_);
    const QString problem = takePortalName();
    if (!problem.isEmpty())
        core_.log(QStringLiteral("restart failed: %1").arg(problem));
}

void FakePortal::dispatch(const QDBusMessage &message)
{
    static const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    if (unresponsive_)
        return;
    const QString interface = message.interface();
    const QString sender = message.service();
    if (!callers_.watchedServices().contains(sender))
        callers_.addWatchedService(sender);
    if (message.path() != desktopPath)
        return static_cast<void>(dispatchSessionObjects(message));
    if (interface == properties)
        return registry_.handleProperties(message);
    if (interface == QLatin1String("org.freedesktop.host.portal.Registry"))
        return registry_.handleRegistry(message);
    core_.noteCaller(sender);
    if (interface == QLatin1String("org.freedesktop.portal.GlobalShortcuts"))
        shortcuts_.handle(message);
    else if (interface == QLatin1String("org.freedesktop.portal.RemoteDesktop"))
        remote_.handle(message);
    else if (interface == QLatin1String("org.freedesktop.portal.Clipboard"))
        clipboard_.handle(message);
    else
        core_.replyError(message, DBusError::unknownMethod,
            QStringLiteral("No such interface “%1” on object at path %2").arg(interface, desktopPath));
}

bool FakePortal::dispatchSessionObjects(const QDBusMessage &message)
{
    const QString path = message.path();
    const QString interface = message.interface();
    if (interface == QLatin1String("org.freedesktop.portal.Session") && message.member() == QLatin1String("Close")) {
        core_.log(QStringLiteral("Session.Close %1").arg(core_.sessions().value(path).kind));
        core_.closeSession(path, false);
        core_.reply(message);
        return true;
    }
    if (interface == QLatin1String("org.freedesktop.portal.Request") && message.member() == QLatin1String("Close")) {
        core_.reply(message);
        return true;
    }
    core_.replyError(message, DBusError::unknownMethod,
        QStringLiteral("No such interface “%1” on object at path %2").arg(interface, path));
    return false;
}

void FakePortal::sessionGone(const QString &path)
{
    shortcuts_.sessionGone(path);
    clipboard_.sessionGone(path);
    for (const Session &session : core_.sessions()) {
        if (session.kind == QLatin1String("RemoteDesktop") && session.started)
            return;
    }
    remote_.sessionGone();
}

// The frontend forgets a client that leaves the bus.
void FakePortal::callerGone(const QString &sender)
{
    callers_.removeWatchedService(sender);
    core_.forgetCaller(sender);
    remote_.forgetTransientGrants(sender);
}

} // namespace quillo::fakeportal
