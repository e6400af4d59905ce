#include "FakePortal.h"

#include "platform/portal/PortalShortcut.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDateTime>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace quillo {
namespace {

const QString desktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString controlPath = QStringLiteral("/org/quillo/FakePortal");
const QString controlName = QStringLiteral("org.quillo.FakePortal");
const QString globalShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString remoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");

QString pathOf(const QVariant &value)
{
    return value.value<QDBusObjectPath>().path();
}

QVariantMap mapOf(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

} // namespace

FakePortal::FakePortal(QDBusConnection bus)
    : bus_(std::move(bus))
{
    registerPortalShortcutTypes();
    versions_ = {
        {QStringLiteral("GlobalShortcuts"), 2}, {QStringLiteral("RemoteDesktop"), 2}, {QStringLiteral("Registry"), 1}};
}

QString FakePortal::start()
{
    if (!bus_.isConnected())
        return QStringLiteral("no session bus");
    const auto options = QDBusConnection::SubPath;
    if (!bus_.registerVirtualObject(desktopPath, this, options) || !bus_.registerVirtualObject(controlPath, this))
        return QStringLiteral("could not register the objects");
    if (!bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return QStringLiteral("org.freedesktop.portal.Desktop is taken");
    // Last: tests wait for this name as the sign that the portal is ready.
    if (!bus_.registerService(controlName))
        return QStringLiteral("%1 is taken").arg(controlName);
    return {};
}

QString FakePortal::introspect(const QString &) const
{
    return {};
}

// Qt D-Bus may call this on its own thread; all state lives on the main thread.
bool FakePortal::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    QMetaObject::invokeMethod(
        this, [this, message] { dispatch(message); }, Qt::QueuedConnection);
    return true;
}

void FakePortal::dispatch(const QDBusMessage &message)
{
    const QString path = message.path();
    const QString interface = message.interface();
    if (path == controlPath) {
        handleControl(message);
        return;
    }
    if (unresponsive_)
        return;
    if (path == desktopPath && interface == QLatin1String("org.freedesktop.DBus.Properties")) {
        handleProperties(message);
        return;
    }
    if (path == desktopPath && interface == QLatin1String("org.freedesktop.host.portal.Registry")) {
        handleRegistry(message);
        return;
    }
    if (path == desktopPath)
        callers_.insert(message.service());
    if (path == desktopPath && interface == globalShortcuts) {
        handleGlobalShortcuts(message);
        return;
    }
    if (path == desktopPath && interface == remoteDesktop) {
        handleRemoteDesktop(message);
        return;
    }
    if (path == desktopPath && interface == QLatin1String("org.freedesktop.portal.Clipboard")) {
        handleClipboard(message);
        return;
    }
    if (interface == QLatin1String("org.freedesktop.portal.Session") && message.member() == QLatin1String("Close")) {
        log_.append(QStringLiteral("Session.Close %1").arg(sessions_.value(path).kind));
        sessions_.remove(path);
        bus_.send(message.createReply());
        return;
    }
    if (interface == QLatin1String("org.freedesktop.portal.Request") && message.member() == QLatin1String("Close")) {
        bus_.send(message.createReply());
        return;
    }
    bus_.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("no %1.%2 at %3").arg(interface, message.member(), path)));
}

void FakePortal::handleProperties(const QDBusMessage &message)
{
    if (message.member() != QLatin1String("Get"))
        return replyError(message, QStringLiteral("only Get"));
    if (!checkSignature(message, QStringLiteral("ss")))
        return;
    const QString interface = message.arguments().at(0).toString();
    const QString name = message.arguments().at(1).toString();
    const QString shortName = interface.section(QLatin1Char('.'), -1);
    const bool known = interface == globalShortcuts || interface == remoteDesktop
        || interface == QLatin1String("org.freedesktop.host.portal.Registry");
    if (!known || versions_.value(shortName) == 0)
        return replyError(message, QStringLiteral("no interface %1").arg(interface));
    QVariant value;
    if (name == QLatin1String("version"))
        value = QVariant::fromValue(versions_.value(shortName));
    else if (name == QLatin1String("AvailableDeviceTypes") && interface == remoteDesktop)
        value = QVariant::fromValue(std::uint32_t{7});
    else
        return replyError(message, QStringLiteral("no property %1").arg(name));
    bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
}

void FakePortal::handleRegistry(const QDBusMessage &message)
{
    if (message.member() != QLatin1String("Register"))
        return replyError(message, QStringLiteral("only Register"));
    if (!checkSignature(message, QStringLiteral("sa{sv}")))
        return;
    const QString sender = message.service();
    const QString appId = message.arguments().at(0).toString();
    if (registered_.contains(sender))
        return replyError(message, QStringLiteral("already registered"));
    if (callers_.contains(sender))
        return replyError(message, QStringLiteral("registering after a portal call"));
    registered_.insert(sender, appId);
    log_.append(QStringLiteral("Register %1").arg(appId));
    bus_.send(message.createReply());
}

void FakePortal::handleGlobalShortcuts(const QDBusMessage &message)
{
    const QString member = message.member();
    if (member == QLatin1String("CreateSession")) {
        if (checkSignature(message, QStringLiteral("a{sv}")))
            createSession(message, QStringLiteral("GlobalShortcuts"));
    } else if (member == QLatin1String("BindShortcuts")) {
        if (checkSignature(message, QStringLiteral("oa(sa{sv})sa{sv}")))
            bindShortcuts(message);
    } else if (member == QLatin1String("ListShortcuts")) {
        if (checkSignature(message, QStringLiteral("oa{sv}")))
            listShortcuts(message);
    } else if (member == QLatin1String("ConfigureShortcuts")
        && versions_.value(QStringLiteral("GlobalShortcuts")) >= 2) {
        if (!checkSignature(message, QStringLiteral("osa{sv}"))
            || !ownedSession(message, QStringLiteral("GlobalShortcuts")))
            return;
        log_.append(QStringLiteral("GlobalShortcuts.ConfigureShortcuts"));
        bus_.send(message.createReply());
    } else {
        replyError(message, QStringLiteral("no method %1").arg(member));
    }
}

void FakePortal::handleRemoteDesktop(const QDBusMessage &message)
{
    const QString member = message.member();
    if (member == QLatin1String("CreateSession")) {
        if (checkSignature(message, QStringLiteral("a{sv}")))
            createSession(message, QStringLiteral("RemoteDesktop"));
    } else if (member == QLatin1String("SelectDevices")) {
        if (checkSignature(message, QStringLiteral("oa{sv}")))
            selectDevices(message);
    } else if (member == QLatin1String("Start")) {
        if (checkSignature(message, QStringLiteral("osa{sv}")))
            startRemote(message);
    } else if (member == QLatin1String("NotifyKeyboardKeysym") || member == QLatin1String("NotifyKeyboardKeycode")) {
        if (checkSignature(message, QStringLiteral("oa{sv}iu")))
            notifyKey(message,
                member == QLatin1String("NotifyKeyboardKeysym") ? QStringLiteral("keysym") : QStringLiteral("keycode"));
    } else {
        replyError(message, QStringLiteral("no method %1").arg(member));
    }
}

void FakePortal::createSession(const QDBusMessage &message, const QString &kind)
{
    const QVariantMap options = mapOf(message.arguments().at(0));
    const QString token = options.value(QStringLiteral("session_handle_token")).toString();
    const QString path = objectPath(
        QStringLiteral("session"), message.service(), token.isEmpty() ? QStringLiteral("s%1").arg(++serial_) : token);
    const std::uint32_t code = outcome(kind + QStringLiteral(".CreateSession"));
    log_.append(
        QStringLiteral("%1.CreateSession app=%2").arg(kind, registered_.value(message.service(), QStringLiteral("-"))));
    QVariantMap results;
    if (code == 0) {
        Session session;
        session.kind = kind;
        session.owner = message.service();
        sessions_.insert(path, session);
        // Text, not an object path: the documented type of this result.
        results.insert(QStringLiteral("session_handle"), path);
    }
    respond(message, options, code, results);
}

void FakePortal::bindShortcuts(const QDBusMessage &message)
{
    Session *session = ownedSession(message, QStringLiteral("GlobalShortcuts"));
    if (!session)
        return;
    if (session->bound)
        return replyError(message, QStringLiteral("the shortcuts of a session are bound only once"));
    const PortalShortcutList shortcuts = portalShortcutsFromVariant(message.arguments().at(1));
    const QVariantMap options = mapOf(message.arguments().at(3));
    QStringList described;
    for (const PortalShortcut &shortcut : shortcuts) {
        described.append(QStringLiteral("%1=%2").arg(
            shortcut.id, shortcut.properties.value(QStringLiteral("preferred_trigger")).toString()));
    }
    log_.append(QStringLiteral("GlobalShortcuts.BindShortcuts %1").arg(described.join(QLatin1Char(' '))));
    const std::uint32_t code = outcome(QStringLiteral("GlobalShortcuts.BindShortcuts"));
    QVariantMap results;
    if (code == 0) {
        session->bound = true;
        PortalShortcutList bound;
        for (const PortalShortcut &shortcut : shortcuts) {
            const QString trigger = triggerOverrides_.value(
                shortcut.id, shortcut.properties.value(QStringLiteral("preferred_trigger")).toString());
            session->triggers.insert(shortcut.id, trigger);
            session->order.append(shortcut.id);
            bound.append({shortcut.id,
                {{QStringLiteral("description"), shortcut.properties.value(QStringLiteral("description"))},
                    {QStringLiteral("trigger_description"), trigger}}});
        }
        results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
    }
    respond(message, options, code, results);
}

void FakePortal::listShortcuts(const QDBusMessage &message)
{
    Session *session = ownedSession(message, QStringLiteral("GlobalShortcuts"));
    if (!session)
        return;
    PortalShortcutList list;
    for (const QString &id : session->order)
        list.append({id, {{QStringLiteral("trigger_description"), session->triggers.value(id)}}});
    respond(message, mapOf(message.arguments().at(1)), 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(list)}});
}

void FakePortal::selectDevices(const QDBusMessage &message)
{
    Session *session = ownedSession(message, QStringLiteral("RemoteDesktop"));
    if (!session)
        return;
    const QVariantMap options = mapOf(message.arguments().at(1));
    session->types = options.value(QStringLiteral("types"), 7u).toUInt();
    session->persistMode = options.value(QStringLiteral("persist_mode"), 0u).toUInt();
    const QString token = options.value(QStringLiteral("restore_token")).toString();
    // A token restores once; the next start hands out a new one.
    session->restored = tokens_.remove(token);
    log_.append(QStringLiteral("RemoteDesktop.SelectDevices types=%1 persist_mode=%2 restore_token=%3")
                    .arg(session->types)
                    .arg(session->persistMode)
                    .arg(token.isEmpty() ? QStringLiteral("-") : token));
    respond(message, options, outcome(QStringLiteral("RemoteDesktop.SelectDevices")), {});
}

void FakePortal::startRemote(const QDBusMessage &message)
{
    Session *session = ownedSession(message, QStringLiteral("RemoteDesktop"));
    if (!session)
        return;
    // A restored grant shows no dialog, so the scripted answer of the dialog does not apply.
    const std::uint32_t code = session->restored ? 0 : outcome(QStringLiteral("RemoteDesktop.Start"));
    log_.append(QStringLiteral("RemoteDesktop.Start %1")
                    .arg(session->restored ? QStringLiteral("restored") : QStringLiteral("asked")));
    QVariantMap results;
    if (code == 0) {
        session->started = true;
        results.insert(QStringLiteral("devices"), QVariant::fromValue(session->types));
        session->clipboardEnabled = session->clipboardRequested && outcome(QStringLiteral("Clipboard")) == 0;
        results.insert(QStringLiteral("clipboard_enabled"), session->clipboardEnabled);
        if (session->persistMode != 0) {
            const QString token = QStringLiteral("token%1").arg(++serial_);
            tokens_.insert(token);
            results.insert(QStringLiteral("restore_token"), token);
        }
    }
    respond(message, mapOf(message.arguments().at(2)), code, results);
}

void FakePortal::notifyKey(const QDBusMessage &message, const QString &what)
{
    Session *session = ownedSession(message, QStringLiteral("RemoteDesktop"));
    if (!session)
        return;
    if (!session->started || (session->types & 1) == 0)
        return replyError(message, QStringLiteral("the session has no started keyboard"));
    const int key = message.arguments().at(2).toInt();
    const std::uint32_t state = message.arguments().at(3).toUInt();
    log_.append(QStringLiteral("%1 0x%2 %3")
                    .arg(what)
                    .arg(key, 0, 16)
                    .arg(state == 1 ? QStringLiteral("down") : QStringLiteral("up")));
    bus_.send(message.createReply());
}

void FakePortal::handleControl(const QDBusMessage &message)
{
    static const QMap<QString, QString> signatures{{QStringLiteral("SetOutcome"), QStringLiteral("su")},
        {QStringLiteral("SetVersion"), QStringLiteral("su")}, {QStringLiteral("SetTrigger"), QStringLiteral("ss")},
        {QStringLiteral("Activate"), QStringLiteral("s")}, {QStringLiteral("Deactivate"), QStringLiteral("s")},
        {QStringLiteral("ChangeTrigger"), QStringLiteral("ss")}, {QStringLiteral("Copy"), QStringLiteral("ss")},
        {QStringLiteral("Paste"), QStringLiteral("s")}, {QStringLiteral("CloseSessions"), QStringLiteral("s")},
        {QStringLiteral("Log"), QString()}};
    const QString member = message.member();
    if (!signatures.contains(member))
        return replyError(message, QStringLiteral("unknown control call %1").arg(member));
    if (!checkSignature(message, signatures.value(member)))
        return;
    const QVariantList args = message.arguments();
    if (member == QLatin1String("Log"))
        return static_cast<void>(bus_.send(message.createReply(log_)));
    if (member == QLatin1String("Paste"))
        return pasteElsewhere(message, args.at(0).toString());
    if (member == QLatin1String("Copy")) {
        bus_.send(message.createReply());
        return copyFromElsewhere(args.at(0).toString(), args.at(1).toString().toUtf8());
    }
    if (member == QLatin1String("CloseSessions"))
        closeSessions(args.at(0).toString());
    else if (member == QLatin1String("SetOutcome"))
        outcomes_.insert(args.at(0).toString(), args.at(1).toUInt());
    else if (member == QLatin1String("SetVersion"))
        versions_.insert(args.at(0).toString(), args.at(1).toUInt());
    else if (member == QLatin1String("SetTrigger"))
        triggerOverrides_.insert(args.at(0).toString(), args.at(1).toString());
    else if (member == QLatin1String("ChangeTrigger"))
        changeTrigger(args.at(0).toString(), args.at(1).toString());
    else
        emitShortcutSignal(
            member == QLatin1String("Activate") ? QStringLiteral("Activated") : QStringLiteral("Deactivated"),
            args.at(0).toString());
    bus_.send(message.createReply());
}

// As the desktop does when the user revokes access or the portal goes away: the
// session emits Closed and is gone.
void FakePortal::closeSessions(const QString &kind)
{
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        if (it->kind != kind) {
            ++it;
            continue;
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            it.key(), QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"));
        signal.setArguments({QVariantMap{}});
        bus_.send(signal);
        log_.append(QStringLiteral("Session.Closed %1").arg(kind));
        it = sessions_.erase(it);
    }
}

void FakePortal::changeTrigger(const QString &shortcut, const QString &description)
{
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        if (!it->bound || !it->triggers.contains(shortcut))
            continue;
        it->triggers.insert(shortcut, description);
        const PortalShortcutList changed{{shortcut, {{QStringLiteral("trigger_description"), description}}}};
        QDBusMessage signal
            = QDBusMessage::createSignal(desktopPath, globalShortcuts, QStringLiteral("ShortcutsChanged"));
        signal.setArguments({QVariant::fromValue(QDBusObjectPath(it.key())), QVariant::fromValue(changed)});
        bus_.send(signal);
    }
}

void FakePortal::handleClipboard(const QDBusMessage &message)
{
    static const QMap<QString, QString> signatures{{QStringLiteral("RequestClipboard"), QStringLiteral("oa{sv}")},
        {QStringLiteral("SetSelection"), QStringLiteral("oa{sv}")},
        {QStringLiteral("SelectionWrite"), QStringLiteral("ou")},
        {QStringLiteral("SelectionWriteDone"), QStringLiteral("oub")},
        {QStringLiteral("SelectionRead"), QStringLiteral("os")}};
    const QString member = message.member();
    if (!signatures.contains(member))
        return replyError(message, QStringLiteral("no method %1").arg(member));
    if (!checkSignature(message, signatures.value(member)))
        return;
    Session *session = ownedSession(message, QStringLiteral("RemoteDesktop"));
    if (!session)
        return;
    if (member == QLatin1String("RequestClipboard")) {
        if (session->started)
            return replyError(message, QStringLiteral("the clipboard must be requested before the session starts"));
        session->clipboardRequested = true;
        log_.append(QStringLiteral("Clipboard.RequestClipboard"));
        bus_.send(message.createReply());
        return;
    }
    if (!session->clipboardEnabled)
        return replyError(message, QStringLiteral("the session has no clipboard access"));
    if (member == QLatin1String("SetSelection")) {
        const QStringList types = mapOf(message.arguments().at(1)).value(QStringLiteral("mime_types")).toStringList();
        log_.append(QStringLiteral("Clipboard.SetSelection %1").arg(types.join(QLatin1Char(','))));
        bus_.send(message.createReply());
        announceOwner(types, pathOf(message.arguments().at(0)));
    } else if (member == QLatin1String("SelectionWrite")) {
        selectionWrite(message, *session);
    } else if (member == QLatin1String("SelectionWriteDone")) {
        selectionWriteDone(message);
    } else {
        selectionRead(message);
    }
}

void FakePortal::announceOwner(const QStringList &types, const QString &ownerSession)
{
    clipboardOwner_ = ownerSession;
    clipboardTypes_ = types;
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        if (!it->clipboardEnabled)
            continue;
        QDBusMessage signal = QDBusMessage::createSignal(
            desktopPath, QStringLiteral("org.freedesktop.portal.Clipboard"), QStringLiteral("SelectionOwnerChanged"));
        const QVariantMap options{{QStringLiteral("mime_types"), types},
            {QStringLiteral("session_is_owner"), !ownerSession.isEmpty() && it.key() == ownerSession}};
        signal.setArguments({QVariant::fromValue(QDBusObjectPath(it.key())), options});
        bus_.send(signal);
    }
}

void FakePortal::copyFromElsewhere(const QString &type, const QByteArray &data)
{
    clipboardData_ = {{type, data}};
    announceOwner({type}, {});
}

void FakePortal::pasteElsewhere(const QDBusMessage &message, const QString &type)
{
    if (clipboardOwner_.isEmpty() || !clipboardTypes_.contains(type))
        return replyError(message, QStringLiteral("no session offers %1").arg(type));
    const std::uint32_t serial = static_cast<std::uint32_t>(++serial_);
    transfers_.insert(serial, Transfer{type, -1});
    QDBusMessage signal = QDBusMessage::createSignal(
        desktopPath, QStringLiteral("org.freedesktop.portal.Clipboard"), QStringLiteral("SelectionTransfer"));
    signal.setArguments({QVariant::fromValue(QDBusObjectPath(clipboardOwner_)), type, QVariant::fromValue(serial)});
    bus_.send(signal);
    bus_.send(message.createReply());
}

void FakePortal::selectionWrite(const QDBusMessage &message, Session &)
{
    const std::uint32_t serial = message.arguments().at(1).toUInt();
    auto transfer = transfers_.find(serial);
    if (transfer == transfers_.end() || transfer->readEnd >= 0)
        return replyError(message, QStringLiteral("no transfer %1").arg(serial));
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return replyError(message, QStringLiteral("no pipe"));
    transfer->readEnd = ends[0];
    // The reply holds its own duplicate.
    bus_.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))));
    ::close(ends[1]);
}

// Small test texts fit the pipe, so reading once the writer is done is enough.
void FakePortal::selectionWriteDone(const QDBusMessage &message)
{
    const std::uint32_t serial = message.arguments().at(1).toUInt();
    const bool success = message.arguments().at(2).toBool();
    const Transfer transfer = transfers_.take(serial);
    QByteArray data;
    if (transfer.readEnd >= 0) {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(transfer.readEnd, buffer, sizeof buffer)) > 0)
            data.append(buffer, got);
        ::close(transfer.readEnd);
    }
    log_.append(success ? QStringLiteral("pasted %1 %2").arg(transfer.type, QString::fromUtf8(data))
                        : QStringLiteral("paste failed %1").arg(transfer.type));
    bus_.send(message.createReply());
}

void FakePortal::selectionRead(const QDBusMessage &message)
{
    const QString type = message.arguments().at(1).toString();
    if (!clipboardOwner_.isEmpty() || !clipboardData_.contains(type))
        return replyError(message, QStringLiteral("nothing of %1 to read").arg(type));
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return replyError(message, QStringLiteral("no pipe"));
    const QByteArray data = clipboardData_.value(type);
    const bool written = ::write(ends[1], data.constData(), static_cast<size_t>(data.size())) == data.size();
    ::close(ends[1]);
    log_.append(QStringLiteral("Clipboard.SelectionRead %1").arg(type));
    if (written)
        bus_.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[0]))));
    else
        replyError(message, QStringLiteral("could not fill the pipe"));
    ::close(ends[0]);
}

void FakePortal::emitShortcutSignal(const QString &name, const QString &shortcut)
{
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        if (!it->bound || !it->triggers.contains(shortcut))
            continue;
        QDBusMessage signal = QDBusMessage::createSignal(desktopPath, globalShortcuts, name);
        signal.setArguments({QVariant::fromValue(QDBusObjectPath(it.key())), shortcut,
            QVariant::fromValue(static_cast<qulonglong>(QDateTime::currentMSecsSinceEpoch())), QVariantMap{}});
        bus_.send(signal);
    }
}

bool FakePortal::checkSignature(const QDBusMessage &message, const QString &expected)
{
    if (message.signature() == expected)
        return true;
    replyError(message, QStringLiteral("%1 takes (%2), got (%3)").arg(message.member(), expected, message.signature()));
    return false;
}

FakePortal::Session *FakePortal::ownedSession(const QDBusMessage &message, const QString &kind)
{
    const QString path = pathOf(message.arguments().at(0));
    auto it = sessions_.find(path);
    if (it == sessions_.end() || it->kind != kind || it->owner != message.service()) {
        replyError(message, QStringLiteral("no %1 session %2 of this caller").arg(kind, path));
        return nullptr;
    }
    return &*it;
}

void FakePortal::respond(
    const QDBusMessage &message, const QVariantMap &options, std::uint32_t code, const QVariantMap &results)
{
    const QString token = options.value(QStringLiteral("handle_token")).toString();
    const QString request = objectPath(
        QStringLiteral("request"), message.service(), token.isEmpty() ? QStringLiteral("r%1").arg(++serial_) : token);
    bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
    QTimer::singleShot(0, this, [this, request, code, results] {
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response.setArguments({QVariant::fromValue(code), results});
        bus_.send(response);
    });
}

void FakePortal::replyError(const QDBusMessage &message, const QString &text)
{
    log_.append(QStringLiteral("error %1: %2").arg(message.member(), text));
    bus_.send(message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.Failed"), text));
}

QString FakePortal::objectPath(const QString &kind, const QString &sender, const QString &token)
{
    QString element = sender.mid(sender.startsWith(QLatin1Char(':')) ? 1 : 0);
    element.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/%2/%3/%4").arg(desktopPath, kind, element, token);
}

} // namespace quillo
