#include "platform/portal/PortalConnection.h"

#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QUuid>
#include <QVariantMap>

#include <memory>
#include <utility>

namespace quillo {
namespace {

const QString dbusService = QStringLiteral("org.freedesktop.DBus");
const QString backendPrefix = QStringLiteral("org.freedesktop.impl.portal.desktop.");
const QString shortcutsBackendInterface = QStringLiteral("org.freedesktop.impl.portal.GlobalShortcuts");

QDBusMessage portalCall(const QString &interface, const QString &method, const QVariantList &args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(portal::service), QLatin1String(portal::objectPath), interface, method);
    call.setArguments(args);
    return call;
}

QDBusMessage propertyGet(const QString &interface, const QString &name)
{
    return portalCall(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
}

std::uint32_t numberIn(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

// What the registration's reply says about the portal itself; a frontend without the
// registry still answers (with "No such interface"), so only the bus's own errors count.
PortalSupport::Presence presenceOf(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return PortalSupport::Presence::present;
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return PortalSupport::Presence::absent;
    if (error == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || error == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
        return PortalSupport::Presence::silent;
    return PortalSupport::Presence::present;
}

QString problemOf(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {};
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

// Runs `then` with the reply of `message`, on the main thread, unless `context` is gone.
void callAsync(const QDBusConnection &bus, const QDBusMessage &message, std::chrono::milliseconds timeout,
    QObject *context, std::function<void(const QDBusMessage &)> then)
{
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, static_cast<int>(timeout.count())), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
        [then = std::move(then)](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            then(finished->reply());
        });
}

// Counts answers in and hands the whole support on when the last one arrives.
struct Probe {
    PortalSupport support;
    int pending = 0;
    std::function<void(const PortalSupport &)> done;

    void answered()
    {
        if (--pending > 0)
            return;
        if (support.remoteDesktopVersion == 0)
            support.remoteDesktopDeviceTypes = 0;
        // A registration that ran out of time while the properties came: a slow portal.
        const bool offers = support.globalShortcutsVersion || support.remoteDesktopVersion || support.clipboardVersion;
        if (support.presence == PortalSupport::Presence::silent && offers)
            support.presence = PortalSupport::Presence::present;
        done(support);
    }
};

} // namespace

PortalConnection::PortalConnection(
    QDBusConnection bus, QString appId, std::chrono::milliseconds timeout, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , appId_(std::move(appId))
    , timeout_(timeout)
    , watcher_(QLatin1String(portal::service), bus_, QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this, &PortalConnection::onOwnerChanged);
}

PortalConnection::~PortalConnection()
{
    onAnswer = nullptr;
    onGone = nullptr;
}

QDBusConnection PortalConnection::openPrivate()
{
    const QString name = QStringLiteral("quillo-portal-") + QUuid::createUuid().toString(QUuid::Id128);
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

void PortalConnection::start()
{
    probe();
}

void PortalConnection::onOwnerChanged(const QString &, const QString &oldOwner, const QString &newOwner)
{
    if (!oldOwner.isEmpty() && onGone)
        onGone();
    if (!newOwner.isEmpty())
        probe(); // a new portal process: it knows neither our id nor our sessions
}

// Registration first (it must be our first portal call), then the properties side by
// side, then the backends: three round trips, none of them blocking the main thread.
void PortalConnection::probe()
{
    probeCalls_ = std::make_unique<QObject>();
    QObject *context = probeCalls_.get();
    auto state = std::make_shared<Probe>();
    state->done = [this](const PortalSupport &support) {
        support_ = support;
        if (onAnswer)
            onAnswer(support);
    };
    if (!bus_.isConnected()) {
        state->support.registryProblem = QStringLiteral("no session bus");
        state->support.presence = PortalSupport::Presence::absent;
        QMetaObject::invokeMethod(
            context, [state] { state->done(state->support); }, Qt::QueuedConnection);
        return;
    }
    const QDBusMessage registration = portalCall(
        QStringLiteral("org.freedesktop.host.portal.Registry"), QStringLiteral("Register"), {appId_, QVariantMap{}});
    callAsync(bus_, registration, timeout_, context, [this, context, state](const QDBusMessage &reply) {
        // Older portals lack the registry and know us by our process (its systemd scope).
        state->support.registryProblem = problemOf(reply);
        state->support.registered = state->support.registryProblem.isEmpty();
        state->support.presence = presenceOf(reply);
        const QString shortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
        const QString remote = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
        const QString clipboard = QStringLiteral("org.freedesktop.portal.Clipboard");
        const std::pair<QDBusMessage, std::uint32_t PortalSupport::*> reads[] = {
            {propertyGet(shortcuts, QStringLiteral("version")), &PortalSupport::globalShortcutsVersion},
            {propertyGet(remote, QStringLiteral("version")), &PortalSupport::remoteDesktopVersion},
            {propertyGet(remote, QStringLiteral("AvailableDeviceTypes")), &PortalSupport::remoteDesktopDeviceTypes},
            {propertyGet(clipboard, QStringLiteral("version")), &PortalSupport::clipboardVersion},
        };
        state->pending = static_cast<int>(std::size(reads)) + 1;
        for (const auto &[message, field] : reads) {
            callAsync(bus_, message, timeout_, context, [state, field](const QDBusMessage &answer) {
                state->support.*field = numberIn(answer);
                state->answered();
            });
        }
        callAsync(bus_,
            QDBusMessage::createMethodCall(
                dbusService, QStringLiteral("/org/freedesktop/DBus"), dbusService, QStringLiteral("ListNames")),
            timeout_, context, [this, context, state](const QDBusMessage &names) {
                QStringList backends;
                if (names.type() == QDBusMessage::ReplyMessage && !names.arguments().isEmpty()) {
                    for (const QString &name : names.arguments().constFirst().toStringList()) {
                        if (name.startsWith(backendPrefix))
                            backends.append(name);
                    }
                }
                if (backends.isEmpty()) {
                    state->answered(); // nothing to ask: the frontend's word stands
                    return;
                }
                state->support.globalShortcutsBackend = PortalSupport::Backend::missing;
                state->pending += static_cast<int>(backends.size()) - 1;
                for (const QString &backend : backends) {
                    const QDBusMessage introspect
                        = QDBusMessage::createMethodCall(backend, QLatin1String(portal::objectPath),
                            QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
                    callAsync(bus_, introspect, timeout_, context, [state](const QDBusMessage &xml) {
                        const bool serves = xml.type() == QDBusMessage::ReplyMessage && !xml.arguments().isEmpty()
                            && xml.arguments().constFirst().toString().contains(
                                QStringLiteral("\"%1\"").arg(shortcutsBackendInterface));
                        if (serves)
                            state->support.globalShortcutsBackend = PortalSupport::Backend::implemented;
                        state->answered();
                    });
                }
            });
    });
}

} // namespace quillo
