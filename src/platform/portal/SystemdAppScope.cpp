#include "platform/portal/SystemdAppScope.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <memory>

namespace quillo {
namespace {

// One (name, value) pair of StartTransientUnit's properties, D-Bus type (sv).
struct UnitProperty {
    QString name;
    QDBusVariant value;
};

QDBusArgument &operator<<(QDBusArgument &argument, const UnitProperty &property)
{
    argument.beginStructure();
    argument << property.name << property.value;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, UnitProperty &property)
{
    argument.beginStructure();
    argument >> property.name >> property.value;
    argument.endStructure();
    return argument;
}

// An auxiliary unit, D-Bus type (sa(sv)); none are sent, but the signature needs the type.
struct AuxUnit {
    QString name;
    QList<UnitProperty> properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const AuxUnit &unit)
{
    argument.beginStructure();
    argument << unit.name << unit.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, AuxUnit &unit)
{
    argument.beginStructure();
    argument >> unit.name >> unit.properties;
    argument.endStructure();
    return argument;
}

QString ownCgroup()
{
    QFile file(QStringLiteral("/proc/self/cgroup"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace
} // namespace quillo

Q_DECLARE_METATYPE(quillo::UnitProperty)
Q_DECLARE_METATYPE(quillo::AuxUnit)

namespace quillo {

std::optional<QString> SystemdAppScope::userUnit(const QString &cgroupText)
{
    for (const QString &line : cgroupText.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // cgroup v2: "0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-x-1.scope"
        if (!line.startsWith(QLatin1String("0::")))
            continue;
        const QStringList parts = line.mid(3).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const auto manager = std::find_if(parts.begin(), parts.end(), [](const QString &part) {
            return part.startsWith(QLatin1String("user@")) && part.endsWith(QLatin1String(".service"));
        });
        if (manager == parts.end() || manager + 1 == parts.end())
            return std::nullopt;
        for (auto it = parts.end(); it != manager + 1;) {
            --it;
            if (it->endsWith(QLatin1String(".scope")) || it->endsWith(QLatin1String(".service")))
                return *it;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

QString SystemdAppScope::appIdOfUnit(const QString &unit)
{
    // app[-<launcher>]-<ApplicationID>[-<RANDOM>|@<RANDOM>][-autostart].(scope|service|slice)
    static const QRegularExpression pattern(QStringLiteral(
        R"(^app-(?:[[:alnum:]]+\-)?(.+?\..+?\..+?)(?:[@\-][[:alnum:]]*)?(?:-autostart)?(?:\.scope|\.service|\.slice)$)"));
    const QRegularExpressionMatch match = pattern.match(unit);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString SystemdAppScope::scopeName(const QString &appId, qint64 pid)
{
    return QStringLiteral("app-%1-%2.scope").arg(appId).arg(pid);
}

void SystemdAppScope::ensure(const QDBusConnection &bus, const QString &appId, QObject *context,
    std::function<void(const Outcome &)> done, std::chrono::milliseconds timeout)
{
    const auto answer = [context, done = std::move(done)](bool inScope, const QString &detail) {
        QMetaObject::invokeMethod(
            context, [done, outcome = Outcome{inScope, detail}] { done(outcome); }, Qt::QueuedConnection);
    };
    if (const auto unit = userUnit(ownCgroup()); unit && appIdOfUnit(*unit) == appId) {
        answer(true, QStringLiteral("already in %1").arg(*unit));
        return;
    }
    const QString systemd = QStringLiteral("org.freedesktop.systemd1");
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(systemd)) {
        answer(false, QStringLiteral("no systemd user manager on the session bus"));
        return;
    }
    qDBusRegisterMetaType<UnitProperty>();
    qDBusRegisterMetaType<QList<UnitProperty>>();
    qDBusRegisterMetaType<AuxUnit>();
    qDBusRegisterMetaType<QList<AuxUnit>>();
    const qint64 pid = QCoreApplication::applicationPid();
    const QString scope = scopeName(appId, pid);
    const QList<UnitProperty> properties{
        {QStringLiteral("Description"), QDBusVariant(QStringLiteral("Quillo"))},
        {QStringLiteral("PIDs"), QDBusVariant(QVariant::fromValue(QList<uint>{static_cast<uint>(pid)}))},
        {QStringLiteral("CollectMode"), QDBusVariant(QStringLiteral("inactive-or-failed"))},
    };
    QDBusMessage call = QDBusMessage::createMethodCall(systemd, QStringLiteral("/org/freedesktop/systemd1"),
        QStringLiteral("org.freedesktop.systemd1.Manager"), QStringLiteral("StartTransientUnit"));
    call.setArguments(
        {scope, QStringLiteral("fail"), QVariant::fromValue(properties), QVariant::fromValue(QList<AuxUnit>{})});
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, static_cast<int>(timeout.count())), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
        [answer, appId, scope, timeout](QDBusPendingCallWatcher *finished) {
            finished->deleteLater();
            if (finished->isError()) {
                answer(false, QStringLiteral("systemd refused the scope: %1").arg(finished->error().message()));
                return;
            }
            // The job moves us once it runs; the reply only says it was queued.
            auto deadline = std::make_shared<QDeadlineTimer>(timeout);
            auto *poll = new QTimer(finished->parent());
            poll->setInterval(20);
            QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, appId, scope, deadline] {
                const auto unit = userUnit(ownCgroup());
                const bool moved = unit && appIdOfUnit(*unit) == appId;
                if (!moved && !deadline->hasExpired())
                    return;
                poll->deleteLater();
                answer(moved,
                    moved ? QStringLiteral("moved to %1").arg(scope)
                          : QStringLiteral("systemd did not move us into %1 in time").arg(scope));
            });
            poll->start();
        });
}

} // namespace quillo
