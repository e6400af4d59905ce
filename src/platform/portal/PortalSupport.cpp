#include "platform/portal/PortalSupport.h"

#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariantMap>

#include <optional>

namespace quillo {
namespace {

std::optional<std::uint32_t> readProperty(
    const QDBusConnection &bus, const QString &interface, const QString &name, std::chrono::milliseconds timeout)
{
    QDBusMessage get = QDBusMessage::createMethodCall(QLatin1String(portal::service), QLatin1String(portal::objectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, name});
    const QDBusMessage reply = bus.call(get, QDBus::Block, static_cast<int>(timeout.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const QVariant value = reply.arguments().constFirst().value<QDBusVariant>().variant();
    bool ok = false;
    const std::uint32_t number = value.toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

} // namespace

PortalSupport PortalSupport::probe(const QDBusConnection &bus, std::chrono::milliseconds timeout)
{
    PortalSupport support;
    if (!bus.isConnected())
        return support;
    const QString shortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
    const QString remote = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
    support.globalShortcutsVersion = readProperty(bus, shortcuts, QStringLiteral("version"), timeout).value_or(0);
    support.remoteDesktopVersion = readProperty(bus, remote, QStringLiteral("version"), timeout).value_or(0);
    if (support.remoteDesktopVersion > 0) {
        support.remoteDesktopDeviceTypes
            = readProperty(bus, remote, QStringLiteral("AvailableDeviceTypes"), timeout).value_or(0);
    }
    return support;
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
