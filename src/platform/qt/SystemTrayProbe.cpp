#include "platform/qt/SystemTrayProbe.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QSystemTrayIcon>

namespace quillo {

namespace {

bool qtTrayAvailable()
{
    // Only a widgets application has a platform to ask.
    return qobject_cast<QApplication *>(QCoreApplication::instance()) && QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace

void SystemTrayProbe::run(
    QObject *context, std::function<void(const Outcome &)> done, std::chrono::milliseconds timeout)
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({watcher, QStringLiteral("IsStatusNotifierHostRegistered")});
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            context,
            [done] {
                done(Outcome{true, false, qtTrayAvailable()});
            },
            Qt::QueuedConnection);
        return;
    }
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(get, static_cast<int>(timeout.count())), context);
    QObject::connect(call, &QDBusPendingCallWatcher::finished, context, [done](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        const QString error = reply.errorName();
        Outcome outcome;
        outcome.answered = error != QLatin1String("org.freedesktop.DBus.Error.NoReply")
            && error != QLatin1String("org.freedesktop.DBus.Error.Timeout");
        outcome.statusNotifierHost = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
            && reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
        // Qt's check would wait on a watcher that does not answer.
        outcome.available = outcome.answered && qtTrayAvailable();
        done(outcome);
    });
}

} // namespace quillo
