#include "RemoteDesktopPortal.h"

#include "PortalCore.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QTimer>
#include <QUuid>

namespace quillo::fakeportal {
namespace {

const QString kind = QStringLiteral("RemoteDesktop");

QVariantMap mapOf(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

QString pathOf(const QVariant &value)
{
    return value.value<QDBusObjectPath>().path();
}

} // namespace

RemoteDesktopPortal::RemoteDesktopPortal(PortalCore &core)
    : core_(core)
    , keyboard_(core)
{
}

void RemoteDesktopPortal::handle(const QDBusMessage &message)
{
    static const QMap<QString, QString> signatures{{QStringLiteral("CreateSession"), QStringLiteral("a{sv}")},
        {QStringLiteral("SelectDevices"), QStringLiteral("oa{sv}")},
        {QStringLiteral("Start"), QStringLiteral("osa{sv}")},
        {QStringLiteral("NotifyKeyboardKeycode"), QStringLiteral("oa{sv}iu")},
        {QStringLiteral("NotifyKeyboardKeysym"), QStringLiteral("oa{sv}iu")}};
    const QString member = message.member();
    if (core_.version(kind) == 0)
        return core_.replyError(message, DBusError::unknownMethod,
            QStringLiteral("No such interface “org.freedesktop.portal.RemoteDesktop” on object at path %1")
                .arg(desktopPath));
    if (!signatures.contains(member))
        return core_.replyError(message, DBusError::unknownMethod, QStringLiteral("No such method “%1”").arg(member));
    if (!core_.checkSignature(message, signatures.value(member)))
        return;
    if (member == QLatin1String("CreateSession"))
        createSession(message);
    else if (member == QLatin1String("SelectDevices"))
        selectDevices(message);
    else if (member == QLatin1String("Start"))
        start(message);
    else
        notify(message, member == QLatin1String("NotifyKeyboardKeycode"));
}

void RemoteDesktopPortal::createSession(const QDBusMessage &message)
{
    const QVariantMap options = mapOf(message.arguments().at(0));
    const QString appId = core_.appId(message.service());
    core_.log(QStringLiteral("RemoteDesktop.CreateSession app=%1").arg(appId.isEmpty() ? QStringLiteral("-") : appId));
    if (core_.backendMissing(kind)) {
        core_.log(QStringLiteral("RemoteDesktop: a backend call failed"));
        return core_.respond(message, options, 2, {});
    }
    const std::uint32_t code = core_.outcome(QStringLiteral("RemoteDesktop.CreateSession"));
    QVariantMap results;
    if (code == 0)
        results.insert(QStringLiteral("session_handle"), core_.createSession(message, kind, options));
    core_.respond(message, options, code, results);
}

void RemoteDesktopPortal::selectDevices(const QDBusMessage &message)
{
    Session *session = core_.session(message, kind);
    if (!session)
        return;
    if (session->devicesSelected || session->started)
        return core_.replyError(message, DBusError::failed, QStringLiteral("Invalid state"));
    const QVariantMap options = mapOf(message.arguments().at(1));
    const std::uint32_t types = options.value(QStringLiteral("types"), 7u).toUInt();
    std::uint32_t persistMode = options.value(QStringLiteral("persist_mode"), 0u).toUInt();
    QString token = options.value(QStringLiteral("restore_token")).toString();
    core_.log(QStringLiteral("RemoteDesktop.SelectDevices types=%1 persist_mode=%2 restore_token=%3")
                  .arg(types)
                  .arg(persistMode)
                  .arg(token.isEmpty() ? QStringLiteral("-") : token));
    if (!checkRestoreOptions(message, token, persistMode))
        return;
    if (core_.version(kind) < 2) {
        // Version 1 frontends pass neither option on.
        persistMode = 0;
        token.clear();
    }
    session->types = types;
    session->persistMode = persistMode;
    takeGrant(*session, token);
    const std::uint32_t code = core_.outcome(QStringLiteral("RemoteDesktop.SelectDevices"));
    session->devicesSelected = code == 0;
    const QString path = pathOf(message.arguments().at(0));
    core_.respond(message, options, code, {});
    closeIfRefused(path, code);
}

bool RemoteDesktopPortal::checkRestoreOptions(
    const QDBusMessage &message, const QString &token, std::uint32_t persistMode)
{
    if (!core_.profile().realTokens || core_.version(kind) < 2)
        return true;
    if (!token.isEmpty() && QUuid::fromString(token).isNull()) {
        core_.replyError(
            message, DBusError::invalidArgument, QStringLiteral("Restore token is not a valid UUID string"));
        return false;
    }
    if (persistMode > 2) {
        core_.replyError(
            message, DBusError::invalidArgument, QStringLiteral("Invalid persist mode %1").arg(persistMode, 0, 16));
        return false;
    }
    return true;
}

// A token is looked up and deleted; a transient grant belongs to the client
// that got it, a persistent one to its app id.
void RemoteDesktopPortal::takeGrant(Session &session, const QString &token)
{
    const auto it = grants_.constFind(token);
    if (token.isEmpty() || it == grants_.constEnd())
        return;
    if (core_.profile().realTokens && (it->persistMode == 2 ? it->appId != session.appId : it->owner != session.owner))
        return;
    session.restored = true;
    session.restoredClipboard = it->clipboard;
    if (core_.profile().realTokens)
        session.restoreToken = token;
    grants_.erase(it);
}

void RemoteDesktopPortal::start(const QDBusMessage &message)
{
    Session *session = core_.session(message, kind);
    if (!session)
        return;
    if (session->started)
        return core_.replyError(message, DBusError::failed, QStringLiteral("Can only start once"));
    QString how = QStringLiteral("asked");
    std::uint32_t code = 0;
    if (session->restored)
        how = QStringLiteral("restored"); // no dialog, so the scripted answer of the dialog does not apply
    else if (core_.profile().consentOnlyWithAppId && session->appId.isEmpty())
        how = QStringLiteral("notified");
    else
        code = core_.outcome(QStringLiteral("RemoteDesktop.Start"));
    core_.log(QStringLiteral("RemoteDesktop.Start %1").arg(how));
    QVariantMap results;
    if (code == 0) {
        session->started = true;
        results.insert(QStringLiteral("devices"), QVariant::fromValue(session->types));
        const bool clipboardGranted
            = session->restored ? session->restoredClipboard : core_.outcome(QStringLiteral("Clipboard")) == 0;
        session->clipboardEnabled = session->clipboardRequested && clipboardGranted;
        if (session->clipboardRequested || !core_.profile().strictFrontend)
            results.insert(QStringLiteral("clipboard_enabled"), session->clipboardEnabled);
        const QString token = keepGrant(*session);
        if (!token.isEmpty())
            results.insert(QStringLiteral("restore_token"), token);
    }
    const QString path = pathOf(message.arguments().at(0));
    core_.respond(message, mapOf(message.arguments().at(2)), code, results);
    closeIfRefused(path, code);
}

// Only when asked to persist and, at a dialog, left ticked; a restored
// session keeps its token on real frontends.
QString RemoteDesktopPortal::keepGrant(Session &session)
{
    if (core_.version(kind) < 2 || session.persistMode == 0)
        return {};
    if (!session.restored && core_.outcome(QStringLiteral("RemoteDesktop.Persist")) != 0)
        return {};
    const QString token
        = session.restoreToken.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : session.restoreToken;
    grants_.insert(token, {session.appId, session.owner, session.persistMode, session.clipboardEnabled});
    return token;
}

void RemoteDesktopPortal::closeIfRefused(const QString &path, std::uint32_t code)
{
    if (code == 0 || !core_.profile().strictFrontend)
        return;
    // After the Response, which is sent from the event loop too.
    QTimer::singleShot(0, [this, path] { core_.closeSession(path, true); });
}

void RemoteDesktopPortal::notify(const QDBusMessage &message, bool keycode)
{
    const Session *session = core_.session(message, kind);
    if (!session)
        return;
    if (!session->devicesSelected || !session->started || (session->types & 1) == 0)
        return core_.replyError(
            message, DBusError::failed, QStringLiteral("Session is not allowed to call NotifyPointer methods"));
    keyboard_.notify(message, keycode, message.arguments().at(2).toInt(), message.arguments().at(3).toUInt() != 0);
}

void RemoteDesktopPortal::forgetTransientGrants(const QString &owner)
{
    for (auto it = grants_.begin(); it != grants_.end();) {
        if (it->persistMode == 1 && (owner.isEmpty() || it->owner == owner))
            it = grants_.erase(it);
        else
            ++it;
    }
}

} // namespace quillo::fakeportal
