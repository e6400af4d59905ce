#include "platform/portal/PortalSupport.h"

#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QVariantMap>

#include <memory>

namespace quillo {
namespace {

QDBusMessage propertyGet(const QString &interface, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(QLatin1String(portal::service), QLatin1String(portal::objectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, name});
    return get;
}

std::uint32_t numberIn(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

QDBusMessage registration(const QString &appId)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(QLatin1String(portal::service), QLatin1String(portal::objectPath),
            QStringLiteral("org.freedesktop.host.portal.Registry"), QStringLiteral("Register"));
    call.setArguments({appId, QVariantMap{}});
    return call;
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

} // namespace

// Registration first, then the three properties side by side: the whole probe takes
// two round trips and never blocks the main thread.
void PortalSupport::probe(const QDBusConnection &bus, QObject *context, Done done, std::chrono::milliseconds timeout)
{
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            context, [done = std::move(done)] { done({}); }, Qt::QueuedConnection);
        return;
    }
    // Older portals lack the registry and know us by our process: the answer does not matter.
    callAsync(bus, registration(QLatin1String(portalAppId)), timeout, context,
        [bus, context, done = std::move(done), timeout](const QDBusMessage &) {
            const QString shortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
            const QString remote = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
            struct Pending {
                PortalSupport support;
                int left = 3;
                Done done;
            };
            auto pending = std::make_shared<Pending>(Pending{{}, 3, done});
            const auto answered = [pending] {
                if (--pending->left > 0)
                    return;
                if (pending->support.remoteDesktopVersion == 0)
                    pending->support.remoteDesktopDeviceTypes = 0;
                pending->done(pending->support);
            };
            callAsync(bus, propertyGet(shortcuts, QStringLiteral("version")), timeout, context,
                [pending, answered](const QDBusMessage &reply) {
                    pending->support.globalShortcutsVersion = numberIn(reply);
                    answered();
                });
            callAsync(bus, propertyGet(remote, QStringLiteral("version")), timeout, context,
                [pending, answered](const QDBusMessage &reply) {
                    pending->support.remoteDesktopVersion = numberIn(reply);
                    answered();
                });
            callAsync(bus, propertyGet(remote, QStringLiteral("AvailableDeviceTypes")), timeout, context,
                [pending, answered](const QDBusMessage &reply) {
                    pending->support.remoteDesktopDeviceTypes = numberIn(reply);
                    answered();
                });
        });
}

QString registerHostApplication(const QDBusConnection &bus, const QString &appId, std::chrono::milliseconds timeout)
{
    if (!bus.isConnected())
        return QStringLiteral("no session bus");
    QDBusMessage call
        = QDBusMessage::createMethodCall(QLatin1String(portal::service), QLatin1String(portal::objectPath),
            QStringLiteral("org.freedesktop.host.portal.Registry"), QStringLiteral("Register"));
    call.setArguments({appId, QVariantMap{}});
    const QDBusMessage reply = bus.call(call, QDBus::Block, static_cast<int>(timeout.count()));
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {};
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

} // namespace quillo
