#include "platform/qt/SecretServiceLockProbe.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMap>

namespace quillo {

namespace {

// The attributes QtKeychain stores an item under (its libsecret schema), without its "type".
using Attributes = QMap<QString, QString>;

Attributes itemAttributes(const QString &service, const QString &account)
{
    // Marshalled as a{ss}, which QtDBus does not know by itself.
    static const bool registered = (qDBusRegisterMetaType<Attributes>(), true);
    (void)registered;
    return {{QStringLiteral("server"), service}, {QStringLiteral("user"), account}};
}

} // namespace

void SecretServiceLockProbe::hasLockedItem(
    const QString &service, const QString &account, QObject *context, std::function<void(bool)> done)
{
    QDBusMessage search = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.secrets"),
        QStringLiteral("/org/freedesktop/secrets"), QStringLiteral("org.freedesktop.Secret.Service"),
        QStringLiteral("SearchItems"));
    search << QVariant::fromValue(itemAttributes(service, account));
    // The store has just answered QtKeychain: an answer here takes milliseconds.
    constexpr int timeoutMs = 2000;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(search, timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
        [done = std::move(done)](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            const QDBusPendingReply<QList<QDBusObjectPath>, QList<QDBusObjectPath>> reply = *finished;
            done(!reply.isError() && !reply.argumentAt<1>().isEmpty());
        });
}

} // namespace quillo
