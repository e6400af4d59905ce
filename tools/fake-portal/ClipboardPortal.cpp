#include "ClipboardPortal.h"

#include "PortalCore.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace quillo::fakeportal {

// GNOME 48 passes mutter's "mime-types" on unwrapped: a tuple holding the list.
struct MimeTypeTuple {
    QStringList types;
};

QDBusArgument &operator<<(QDBusArgument &argument, const MimeTypeTuple &tuple)
{
    argument.beginStructure();
    argument << tuple.types;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MimeTypeTuple &tuple)
{
    argument.beginStructure();
    argument >> tuple.types;
    argument.endStructure();
    return argument;
}

} // namespace quillo::fakeportal

Q_DECLARE_METATYPE(quillo::fakeportal::MimeTypeTuple)

namespace quillo::fakeportal {
namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.portal.Clipboard");

QVariantMap mapOf(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

} // namespace

ClipboardPortal::ClipboardPortal(PortalCore &core)
    : core_(core)
{
    qDBusRegisterMetaType<MimeTypeTuple>();
}

void ClipboardPortal::handle(const QDBusMessage &message)
{
    static const QMap<QString, QString> signatures{{QStringLiteral("RequestClipboard"), QStringLiteral("oa{sv}")},
        {QStringLiteral("SetSelection"), QStringLiteral("oa{sv}")},
        {QStringLiteral("SelectionWrite"), QStringLiteral("ou")},
        {QStringLiteral("SelectionWriteDone"), QStringLiteral("oub")},
        {QStringLiteral("SelectionRead"), QStringLiteral("os")}};
    const QString member = message.member();
    if (core_.version(QStringLiteral("Clipboard")) == 0)
        return core_.replyError(message, DBusError::unknownMethod,
            QStringLiteral("No such interface “%1” on object at path %2").arg(interfaceName, desktopPath));
    if (!signatures.contains(member))
        return core_.replyError(message, DBusError::unknownMethod, QStringLiteral("No such method “%1”").arg(member));
    if (!core_.checkSignature(message, signatures.value(member)))
        return;
    Session *session = core_.session(message, QStringLiteral("RemoteDesktop"));
    if (!session)
        return;
    if (member == QLatin1String("RequestClipboard"))
        return requestClipboard(message, *session);
    if (!session->clipboardEnabled)
        return core_.replyError(message, DBusError::accessDenied, QStringLiteral("Clipboard not enabled"));
    if (member == QLatin1String("SetSelection"))
        setSelection(message);
    else if (member == QLatin1String("SelectionWrite"))
        selectionWrite(message);
    else if (member == QLatin1String("SelectionWriteDone"))
        selectionWriteDone(message);
    else
        selectionRead(message);
}

void ClipboardPortal::requestClipboard(const QDBusMessage &message, Session &session)
{
    if (session.started)
        return core_.replyError(
            message, DBusError::failed, QStringLiteral("the clipboard must be requested before the session starts"));
    session.clipboardRequested = true;
    core_.log(QStringLiteral("Clipboard.RequestClipboard"));
    core_.reply(message);
}

// The frontend answers at once and passes the call on without waiting: what
// the compositor makes of it never reaches the caller.
void ClipboardPortal::setSelection(const QDBusMessage &message)
{
    const QVariantMap options = mapOf(message.arguments().at(1));
    const QStringList types = options.value(QStringLiteral("mime_types")).toStringList();
    core_.log(QStringLiteral("Clipboard.SetSelection %1").arg(types.join(QLatin1Char(','))));
    core_.reply(message);
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    if (!core_.profile().gnomeClipboard)
        return announceOwner(types, path);
    if (!options.contains(QStringLiteral("mime_types")))
        return announceNoOwner();
    if (types.isEmpty())
        return core_.log(
            QStringLiteral("Clipboard: mutter refused: Invalid format list: No mime types in mime types list"));
    announceOwner(types, path);
}

void ClipboardPortal::announceOwner(const QStringList &types, const QString &ownerSession)
{
    owner_ = ownerSession;
    types_ = types;
    const QVariant mimeTypes
        = core_.profile().gnomeClipboard ? QVariant::fromValue(MimeTypeTuple{types}) : QVariant(types);
    for (auto it = core_.sessions().cbegin(); it != core_.sessions().cend(); ++it) {
        if (!it->clipboardEnabled)
            continue;
        const QVariantMap options{{QStringLiteral("mime_types"), mimeTypes},
            {QStringLiteral("session_is_owner"), !ownerSession.isEmpty() && it.key() == ownerSession}};
        core_.emitTo(it->owner, desktopPath, interfaceName, QStringLiteral("SelectionOwnerChanged"),
            {QVariant::fromValue(QDBusObjectPath(it.key())), options});
    }
}

// mutter's owner-changed without an owner carries no keys at all.
void ClipboardPortal::announceNoOwner()
{
    owner_.clear();
    types_.clear();
    data_.clear();
    for (auto it = core_.sessions().cbegin(); it != core_.sessions().cend(); ++it) {
        if (it->clipboardEnabled)
            core_.emitTo(it->owner, desktopPath, interfaceName, QStringLiteral("SelectionOwnerChanged"),
                {QVariant::fromValue(QDBusObjectPath(it.key())), QVariantMap{}});
    }
}

void ClipboardPortal::copy(const QString &type, const QByteArray &data)
{
    data_ = {{type, data}};
    announceOwner({type}, {});
}

void ClipboardPortal::paste(const QDBusMessage &control, const QString &type)
{
    if (owner_.isEmpty() || !types_.contains(type) || !core_.sessions().contains(owner_))
        return core_.replyError(control, DBusError::failed, QStringLiteral("no session offers %1").arg(type));
    const auto serial = std::uint32_t(core_.nextSerial());
    transfers_.insert(serial, Transfer{type, -1});
    core_.emitTo(core_.sessions().value(owner_).owner, desktopPath, interfaceName, QStringLiteral("SelectionTransfer"),
        {QVariant::fromValue(QDBusObjectPath(owner_)), type, QVariant::fromValue(serial)});
    core_.reply(control);
}

void ClipboardPortal::selectionWrite(const QDBusMessage &message)
{
    const std::uint32_t serial = message.arguments().at(1).toUInt();
    auto transfer = transfers_.find(serial);
    if (transfer == transfers_.end() || transfer->readEnd >= 0)
        return core_.replyError(message, DBusError::failed, QStringLiteral("no transfer %1").arg(serial));
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return core_.replyError(message, DBusError::failed, QStringLiteral("no pipe"));
    transfer->readEnd = ends[0];
    // The reply holds its own duplicate.
    core_.reply(message, {QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))});
    ::close(ends[1]);
}

// Small test texts fit the pipe, so reading once the writer is done is enough.
void ClipboardPortal::selectionWriteDone(const QDBusMessage &message)
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
    core_.log(success ? QStringLiteral("pasted %1 %2").arg(transfer.type, QString::fromUtf8(data))
                      : QStringLiteral("paste failed %1").arg(transfer.type));
    core_.reply(message);
}

void ClipboardPortal::selectionRead(const QDBusMessage &message)
{
    const QString type = message.arguments().at(1).toString();
    if (!owner_.isEmpty() || !data_.contains(type))
        return core_.replyError(message, DBusError::failed, QStringLiteral("nothing of %1 to read").arg(type));
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return core_.replyError(message, DBusError::failed, QStringLiteral("no pipe"));
    const QByteArray data = data_.value(type);
    const bool written = ::write(ends[1], data.constData(), size_t(data.size())) == data.size();
    ::close(ends[1]);
    core_.log(QStringLiteral("Clipboard.SelectionRead %1").arg(type));
    if (written)
        core_.reply(message, {QVariant::fromValue(QDBusUnixFileDescriptor(ends[0]))});
    else
        core_.replyError(message, DBusError::failed, QStringLiteral("could not fill the pipe"));
    ::close(ends[0]);
}

void ClipboardPortal::sessionGone(const QString &path)
{
    if (owner_ != path)
        return;
    owner_.clear();
    types_.clear();
}

} // namespace quillo::fakeportal
