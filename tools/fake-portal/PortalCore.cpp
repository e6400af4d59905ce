#include "PortalCore.h"

#include <QDBusObjectPath>
#include <QDateTime>
#include <QTimer>

#include <chrono>
#include <utility>

namespace quillo::fakeportal {

PortalCore::PortalCore(Profile profile)
    : control_(QString())
    , portal_(QString())
{
    setProfile(std::move(profile));
}

void PortalCore::setProfile(Profile profile)
{
    profile_ = std::move(profile);
    versions_ = {{QStringLiteral("GlobalShortcuts"), profile_.globalShortcutsVersion},
        {QStringLiteral("RemoteDesktop"), profile_.remoteDesktopVersion},
        {QStringLiteral("Clipboard"), profile_.clipboardVersion},
        {QStringLiteral("Registry"), profile_.registryVersion}};
}

void PortalCore::setBackend(const QString &interface, bool present)
{
    if (present)
        missingBackends_.remove(interface);
    else
        missingBackends_.insert(interface);
}

void PortalCore::setBuses(QDBusConnection control, QDBusConnection portal)
{
    control_ = std::move(control);
    portal_ = std::move(portal);
}

QDBusConnection &PortalCore::busFor(const QDBusMessage &message)
{
    return message.path() == controlPath ? control_ : portal_;
}

QString PortalCore::createSession(const QDBusMessage &message, const QString &kind, const QVariantMap &options)
{
    const QString token = options.value(QStringLiteral("session_handle_token")).toString();
    const QString path = objectPath(QStringLiteral("session"), message.service(),
        token.isEmpty() ? QStringLiteral("s%1").arg(nextSerial()) : token);
    Session session;
    session.kind = kind;
    session.owner = message.service();
    session.appId = appId(message.service());
    sessions_.insert(path, session);
    return path;
}

Session *PortalCore::session(const QDBusMessage &message, const QString &kind)
{
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    auto it = sessions_.find(path);
    if (it == sessions_.end() || it->kind != kind || it->owner != message.service()) {
        replyError(message, DBusError::accessDenied, QStringLiteral("Invalid session"));
        return nullptr;
    }
    return &*it;
}

void PortalCore::closeSession(const QString &path, bool announce)
{
    const auto it = sessions_.constFind(path);
    if (it == sessions_.constEnd())
        return;
    if (announce) {
        emitTo(it->owner, path, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"),
            {QVariantMap{}});
        log(QStringLiteral("Session.Closed %1").arg(it->kind));
    }
    sessions_.erase(it);
    if (onSessionGone)
        onSessionGone(path);
}

// As the frontend does when a client leaves the bus: its sessions close
// without a signal (nobody is there to get it), its registration is gone.
void PortalCore::forgetCaller(const QString &sender)
{
    for (const QString &path : sessions_.keys()) {
        if (sessions_.value(path).owner == sender)
            closeSession(path, false);
    }
    registered_.remove(sender);
    callers_.remove(sender);
}

void PortalCore::forgetAll(bool announce)
{
    for (const QString &path : sessions_.keys())
        closeSession(path, announce);
    registered_.clear();
    callers_.clear();
}

void PortalCore::respond(const QDBusMessage &message, const QVariantMap &options, std::uint32_t code,
    const QVariantMap &results, const std::function<void()> &before)
{
    const QString token = options.value(QStringLiteral("handle_token")).toString();
    const QString request = objectPath(QStringLiteral("request"), message.service(),
        token.isEmpty() ? QStringLiteral("r%1").arg(nextSerial()) : token);
    portal_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
    QTimer::singleShot(0, [this, request, code, results, before] {
        if (before)
            before();
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response.setArguments({QVariant::fromValue(code), results});
        portal_.send(response);
    });
}

void PortalCore::reply(const QDBusMessage &message, const QVariantList &arguments)
{
    busFor(message).send(message.createReply(arguments));
}

void PortalCore::replyError(const QDBusMessage &message, const QString &name, const QString &text)
{
    log(QStringLiteral("error %1: %2").arg(message.member(), text));
    busFor(message).send(message.createErrorReply(name, text));
}

bool PortalCore::checkSignature(const QDBusMessage &message, const QString &expected)
{
    if (message.signature() == expected)
        return true;
    replyError(message, DBusError::invalidArgs,
        QStringLiteral("Type of message, “(%1)”, does not match expected type “(%2)”")
            .arg(message.signature(), expected));
    return false;
}

void PortalCore::emitTo(const QString &destination, const QString &path, const QString &interface, const QString &name,
    const QVariantList &arguments)
{
    QDBusMessage signal = QDBusMessage::createTargetedSignal(destination, path, interface, name);
    signal.setArguments(arguments);
    portal_.send(signal);
}

quint64 PortalCore::timestamp() const
{
    using namespace std::chrono;
    const auto monotonic = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    switch (profile_.timestamps) {
    case Timestamps::eventMs:
        // The compositor's event time: milliseconds of a monotonic clock, 32 bits.
        return quint64(monotonic) & 0xffffffffu;
    case Timestamps::seconds:
        return quint64(monotonic / 1000);
    case Timestamps::epochMs:
        break;
    }
    return quint64(QDateTime::currentMSecsSinceEpoch());
}

QString PortalCore::objectPath(const QString &kind, const QString &sender, const QString &token)
{
    QString element = sender.mid(sender.startsWith(QLatin1Char(':')) ? 1 : 0);
    element.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/%2/%3/%4").arg(desktopPath, kind, element, token);
}

} // namespace quillo::fakeportal
