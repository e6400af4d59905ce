#include "RegistryPortal.h"

#include "PortalCore.h"

#include <QDBusVariant>

namespace quillo::fakeportal {
namespace {

const QString registryInterface = QStringLiteral("org.freedesktop.host.portal.Registry");

QString noInterface(const QString &interface)
{
    return QStringLiteral("No such interface “%1” on object at path %2").arg(interface, desktopPath);
}

} // namespace

RegistryPortal::RegistryPortal(PortalCore &core)
    : core_(core)
{
}

// The frontend keeps one app id per connection, fixed by the first portal
// call: registering again, or after a call, fails.
void RegistryPortal::handleRegistry(const QDBusMessage &message)
{
    if (core_.version(QStringLiteral("Registry")) == 0)
        return core_.replyError(message, DBusError::unknownMethod, noInterface(registryInterface));
    if (message.member() != QLatin1String("Register"))
        return core_.replyError(
            message, DBusError::unknownMethod, QStringLiteral("No such method “%1”").arg(message.member()));
    if (!core_.checkSignature(message, QStringLiteral("sa{sv}")))
        return;
    const QString sender = message.service();
    const QString appId = message.arguments().at(0).toString();
    if (core_.isRegistered(sender) || core_.hasCalled(sender))
        return core_.replyError(message, DBusError::failed,
            QStringLiteral("Could not register app ID: Connection already associated with an application ID"));
    core_.registerApp(sender, appId);
    core_.log(QStringLiteral("Register %1").arg(appId));
    core_.reply(message);
}

void RegistryPortal::handleProperties(const QDBusMessage &message)
{
    if (message.member() == QLatin1String("Get") && core_.checkSignature(message, QStringLiteral("ss")))
        return get(message);
    if (message.member() == QLatin1String("GetAll") && core_.checkSignature(message, QStringLiteral("s")))
        return getAll(message);
    if (message.member() != QLatin1String("Get") && message.member() != QLatin1String("GetAll"))
        core_.replyError(message, DBusError::unknownMethod, QStringLiteral("only Get and GetAll"));
}

QString RegistryPortal::offered(const QString &interface) const
{
    static const QStringList portals{QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
        QStringLiteral("org.freedesktop.portal.RemoteDesktop"), QStringLiteral("org.freedesktop.portal.Clipboard"),
        registryInterface};
    const QString name = interface.section(QLatin1Char('.'), -1);
    return portals.contains(interface) && core_.version(name) > 0 ? name : QString();
}

// A frontend reports its own version of an interface, whatever its backend.
void RegistryPortal::get(const QDBusMessage &message)
{
    const QString interface = message.arguments().at(0).toString();
    const QString property = message.arguments().at(1).toString();
    const QString name = offered(interface);
    if (name.isEmpty())
        return core_.replyError(message, DBusError::invalidArgs, noInterface(interface));
    QVariant value;
    if (property == QLatin1String("version"))
        value = QVariant::fromValue(core_.version(name));
    else if (property == QLatin1String("AvailableDeviceTypes") && name == QLatin1String("RemoteDesktop"))
        value = QVariant::fromValue(std::uint32_t{7});
    else
        return core_.replyError(message, DBusError::invalidArgs, QStringLiteral("No such property “%1”").arg(property));
    core_.reply(message, {QVariant::fromValue(QDBusVariant(value))});
}

void RegistryPortal::getAll(const QDBusMessage &message)
{
    const QString interface = message.arguments().at(0).toString();
    const QString name = offered(interface);
    if (name.isEmpty())
        return core_.replyError(message, DBusError::invalidArgs, noInterface(interface));
    QVariantMap properties{{QStringLiteral("version"), QVariant::fromValue(core_.version(name))}};
    if (name == QLatin1String("RemoteDesktop"))
        properties.insert(QStringLiteral("AvailableDeviceTypes"), QVariant::fromValue(std::uint32_t{7}));
    core_.reply(message, {properties});
}

} // namespace quillo::fakeportal
