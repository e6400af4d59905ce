#include "platform/portal/PortalClipboard.h"

#include "platform/portal/PortalRemoteDesktop.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>
#include <QDeadlineTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace quillo {
namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.portal.Clipboard");
// More than any dictated text; a peer sending more is cut off rather than filling memory.
constexpr qsizetype readLimit = 16 * 1024 * 1024;

QString pathText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

// Waits for `events` on `fd` until `deadline`; false on time-out or error.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    pollfd entry{fd, events, 0};
    for (;;) {
        const int left = static_cast<int>(deadline.remainingTime());
        if (left == 0)
            return false;
        const int ready = ::poll(&entry, 1, left);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

QByteArray readAll(int fd, const QDeadlineTimer &deadline)
{
    QByteArray data;
    char buffer[65536];
    while (data.size() < readLimit && waitFor(fd, POLLIN, deadline)) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            break;
        }
        data.append(buffer, got);
    }
    return data;
}

bool writeAll(int fd, const QByteArray &data, const QDeadlineTimer &deadline)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        if (!waitFor(fd, POLLOUT, deadline))
            return false;
        const ssize_t put = ::write(fd, data.constData() + sent, static_cast<size_t>(data.size() - sent));
        if (put < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        sent += put;
    }
    return true;
}

// The descriptor we own for the transfer: a duplicate, closed on leaving.
class OwnedFd {
public:
    explicit OwnedFd(const QDBusUnixFileDescriptor &descriptor)
        : fd_(descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1)
    {
        if (fd_ >= 0)
            ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    }
    ~OwnedFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OwnedFd(const OwnedFd &) = delete;
    OwnedFd &operator=(const OwnedFd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

PortalClipboard::PortalClipboard(QDBusConnection bus, const PortalRemoteDesktop &session, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , session_(session)
{
    const QString service = QLatin1String(portal::service);
    const QString path = QLatin1String(portal::objectPath);
    bus_.connect(service, path, interfaceName, QStringLiteral("SelectionOwnerChanged"), this,
        SLOT(onOwnerChanged(QDBusMessage)));
    bus_.connect(
        service, path, interfaceName, QStringLiteral("SelectionTransfer"), this, SLOT(onTransfer(QDBusMessage)));
}

PasteboardItems PortalClipboard::items() const
{
    if (!session_.clipboardEnabled())
        return {};
    if (owner_)
        return offered_.empty() ? PasteboardItems{} : PasteboardItems{offered_};
    PasteboardItem item;
    for (const QString &type : available_) {
        const QByteArray data = read(type);
        if (!data.isNull())
            item.push_back({type, data});
    }
    return item.empty() ? PasteboardItems{} : PasteboardItems{item};
}

// An empty type list is refused (mutter rejects it), and a Wayland clipboard cannot be
// emptied by a client anyway: clearing only drops what we offer; the next write replaces it.
void PortalClipboard::clear()
{
    offered_.clear();
}

bool PortalClipboard::write(const PasteboardItems &items)
{
    if (!session_.clipboardEnabled())
        return false;
    offered_ = items.empty() ? PasteboardItem{} : items.front();
    QStringList types;
    for (const PasteboardEntry &entry : offered_)
        types.append(entry.type);
    return setSelection(types);
}

bool PortalClipboard::setSelection(const QStringList &types)
{
    if (!session_.clipboardEnabled() || types.isEmpty())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(portal::service),
        QLatin1String(portal::objectPath), interfaceName, QStringLiteral("SetSelection"));
    call.setArguments(
        {QVariant::fromValue(QDBusObjectPath(session_.session())), QVariantMap{{QStringLiteral("mime_types"), types}}});
    const QDBusMessage reply = bus_.call(call, QDBus::Block, static_cast<int>(transferLimit.count()));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return false;
    // Ours from now on, whether or not the owner-changed signal has come yet.
    owner_ = true;
    available_ = types;
    ++changeCount_;
    return true;
}

QByteArray PortalClipboard::read(const QString &type) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(portal::service),
        QLatin1String(portal::objectPath), interfaceName, QStringLiteral("SelectionRead"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(session_.session())), type});
    const QDeadlineTimer deadline(transferLimit);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, static_cast<int>(transferLimit.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const OwnedFd fd(reply.arguments().constFirst().value<QDBusUnixFileDescriptor>());
    if (fd.get() < 0)
        return {};
    QByteArray data = readAll(fd.get(), deadline);
    if (data.isNull())
        data = QByteArray(""); // read, and empty
    return data;
}

bool PortalClipboard::ours(const QDBusMessage &message) const
{
    const QVariantList args = message.arguments();
    return !args.isEmpty() && session_.clipboardEnabled() && pathText(args.constFirst()) == session_.session();
}

void PortalClipboard::onOwnerChanged(const QDBusMessage &message)
{
    if (!ours(message) || message.arguments().size() < 2)
        return;
    const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().at(1));
    // Our own selection comes back as a change with us as owner (GNOME): that is no one
    // else's copy, and counting it would keep the user's clipboard from being put back.
    if (options.value(QStringLiteral("session_is_owner")).toBool()) {
        owner_ = true;
        return;
    }
    owner_ = false;
    available_ = options.value(QStringLiteral("mime_types")).toStringList();
    offered_.clear();
    ++changeCount_;
}

void PortalClipboard::onTransfer(const QDBusMessage &message)
{
    if (!ours(message) || message.arguments().size() < 3)
        return;
    const QString type = message.arguments().at(1).toString();
    const std::uint32_t serial = message.arguments().at(2).toUInt();
    const bool success = answerTransfer(type, serial);
    QDBusMessage done = QDBusMessage::createMethodCall(QLatin1String(portal::service),
        QLatin1String(portal::objectPath), interfaceName, QStringLiteral("SelectionWriteDone"));
    done.setArguments({QVariant::fromValue(QDBusObjectPath(session_.session())), serial, success});
    bus_.asyncCall(done);
}

bool PortalClipboard::answerTransfer(const QString &type, std::uint32_t serial)
{
    const auto entry = std::find_if(
        offered_.begin(), offered_.end(), [&type](const PasteboardEntry &candidate) { return candidate.type == type; });
    if (entry == offered_.end())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(portal::service),
        QLatin1String(portal::objectPath), interfaceName, QStringLiteral("SelectionWrite"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(session_.session())), serial});
    const QDeadlineTimer deadline(transferLimit);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, static_cast<int>(transferLimit.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const OwnedFd fd(reply.arguments().constFirst().value<QDBusUnixFileDescriptor>());
    return fd.get() >= 0 && writeAll(fd.get(), entry->data, deadline);
}

} // namespace quillo
