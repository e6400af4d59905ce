#include "platform/portal/PortalAppearance.h"

#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace quillo {
namespace {

const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");

// Read (version 1) wraps the value in one more variant than ReadOne.
QVariant unwrapped(QVariant value)
{
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

PortalAppearance::PortalAppearance(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
{
    bus_.connect(QLatin1String(portal::service), QLatin1String(portal::objectPath), settingsInterface,
        QStringLiteral("SettingChanged"), this, SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    read(QStringLiteral("ReadOne"));
}

void PortalAppearance::read(const QString &method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(portal::service), QLatin1String(portal::objectPath), settingsInterface, method);
    call.setArguments({appearance, colorScheme});
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        const QDBusMessage reply = done->reply();
        // Portals before 1.15 have only Read.
        if (reply.type() == QDBusMessage::ErrorMessage && method == QLatin1String("ReadOne")
            && reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")) {
            read(QStringLiteral("Read"));
            return;
        }
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            tell(reply.arguments().constFirst());
    });
}

void PortalAppearance::onSettingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group == appearance && key == colorScheme)
        tell(value.variant());
}

void PortalAppearance::tell(const QVariant &value)
{
    if (!onPreference)
        return;
    switch (unwrapped(value).toUInt()) {
    case 1:
        onPreference(Preference::dark);
        return;
    case 2:
        onPreference(Preference::light);
        return;
    default:
        onPreference(Preference::none);
    }
}

} // namespace quillo
