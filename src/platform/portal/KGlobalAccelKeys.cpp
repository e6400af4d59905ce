#include "platform/portal/KGlobalAccelKeys.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

#include <memory>

namespace quillo {
namespace {

const QString service = QStringLiteral("org.kde.kglobalaccel");
constexpr int callTimeoutMs = 2000;

void call(const QDBusConnection &bus, const QDBusMessage &message, QObject *context,
    std::function<void(const QDBusMessage &)> then)
{
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, callTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
        [then = std::move(then)](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            then(finished->reply());
        });
}

// allShortcutInfos: a(ssssssaiai) — action id, action name, component id, component name,
// context id, context name, keys, default keys.
QSet<QString> actionsHoldingKeys(const QDBusArgument &infos)
{
    QSet<QString> held;
    infos.beginArray();
    while (!infos.atEnd()) {
        QString action, ignored;
        QList<int> keys, defaults;
        infos.beginStructure();
        infos >> action >> ignored >> ignored >> ignored >> ignored >> ignored >> keys >> defaults;
        infos.endStructure();
        if (std::any_of(keys.begin(), keys.end(), [](int key) { return key != 0; }))
            held.insert(action);
    }
    infos.endArray();
    return held;
}

void tryComponent(
    const QDBusConnection &bus, std::shared_ptr<QStringList> left, QObject *context, KGlobalAccelKeys::Done done)
{
    if (left->isEmpty()) {
        done(std::nullopt);
        return;
    }
    const QString name = left->takeFirst();
    QDBusMessage get = QDBusMessage::createMethodCall(service, QStringLiteral("/kglobalaccel"),
        QStringLiteral("org.kde.KGlobalAccel"), QStringLiteral("getComponent"));
    get.setArguments({name});
    call(bus, get, context, [bus, left, context, done](const QDBusMessage &reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            tryComponent(bus, left, context, done); // no such component: the next name
            return;
        }
        const QString path = reply.arguments().constFirst().value<QDBusObjectPath>().path();
        const QDBusMessage infos = QDBusMessage::createMethodCall(
            service, path, QStringLiteral("org.kde.kglobalaccel.Component"), QStringLiteral("allShortcutInfos"));
        call(bus, infos, context, [done](const QDBusMessage &answer) {
            if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
                done(std::nullopt);
                return;
            }
            done(actionsHoldingKeys(answer.arguments().constFirst().value<QDBusArgument>()));
        });
    });
}

} // namespace

bool KGlobalAccelKeys::present(const QDBusConnection &bus)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(service);
}

QStringList KGlobalAccelKeys::componentNames(const QStringList &appIds, const QString &sessionToken)
{
    QStringList names;
    for (const QString &appId : appIds) {
        if (appId.isEmpty())
            continue;
        names << appId + sessionToken << appId;
    }
    names << sessionToken << QStringLiteral("token_") + sessionToken;
    return names;
}

void KGlobalAccelKeys::actionsWithKeys(
    const QDBusConnection &bus, const QStringList &components, QObject *context, Done done)
{
    tryComponent(bus, std::make_shared<QStringList>(components), context, std::move(done));
}

} // namespace quillo
