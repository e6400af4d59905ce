#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <unistd.h>

namespace quillo {

namespace {

using Request = SingleInstance::Request;

struct RequestName {
    Request request;
    const char *line;
};

constexpr std::array<RequestName, 7> kRequests = {{
    {Request::openSettings, "open-settings"},
    {Request::toggle, "toggle"},
    {Request::start, "start"},
    {Request::stop, "stop"},
    {Request::cancel, "cancel"},
    {Request::translate, "translate"},
    {Request::retry, "retry"},
}};

const QByteArray okAnswer = QByteArrayLiteral("ok");
const QByteArray ignoredAnswer = QByteArrayLiteral("ignored");
const QByteArray errorPrefix = QByteArrayLiteral("error: ");

// Unix socket paths are limited to 108 bytes; leave room for Qt's temporary name.
constexpr qsizetype maxSocketPathBytes = 90;

// The first line in the socket's buffer without its line break, once a whole one is there.
std::optional<QByteArray> takeLine(QLocalSocket &socket)
{
    const qsizetype end = socket.peek(SingleInstance::maxLineBytes + 1).indexOf('\n');
    if (end < 0)
        return std::nullopt;
    return socket.read(end + 1).trimmed();
}

bool lineTooLong(const QLocalSocket &socket)
{
    return socket.bytesAvailable() > SingleInstance::maxLineBytes;
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

SingleInstance::Reply replyFrom(const QByteArray &line)
{
    using Kind = SingleInstance::Reply::Kind;
    if (line == okAnswer)
        return {Kind::taken, {}};
    if (line == ignoredAnswer)
        return {Kind::ignored, {}};
    if (line.startsWith(errorPrefix))
        return {Kind::refused, QString::fromUtf8(line.mid(errorPrefix.size()))};
    return {Kind::refused, QString::fromUtf8(line)};
}

// Keeps the name a single path component whatever the display variable holds.
QString safeComponent(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.'
            || c == u'-';
        if (!plain)
            c = u'_';
    }
    return out;
}

} // namespace

SingleInstance::SingleInstance(QString name, QObject *parent)
    : QObject(parent)
    , name_(std::move(name))
{
}

SingleInstance::~SingleInstance() = default;

// The instance and a command run by a desktop key binding must meet on one name, while
// two sessions of the same user (or parallel test desktops) must not. Both processes
// see the session's display variables: on Wayland the key binding's environment always
// has WAYLAND_DISPLAY, while DISPLAY there depends on XWayland, so the Wayland display
// names the session when set and the X display (":0.0" and ":0" alike) otherwise. The
// socket goes into $XDG_RUNTIME_DIR (private to the user) when there is one, else into
// the temporary folder with the user id in its name.
QString SingleInstance::defaultName()
{
    return nameFor(qEnvironmentVariable("XDG_RUNTIME_DIR"), qEnvironmentVariable("WAYLAND_DISPLAY"),
        qEnvironmentVariable("DISPLAY"), getuid());
}

QString SingleInstance::nameFor(
    const QString &runtimeDir, const QString &waylandDisplay, const QString &display, uint uid)
{
    static const QRegularExpression screenNumber(QStringLiteral("\\.[0-9]+$"));
    const QString session
        = safeComponent(!waylandDisplay.isEmpty() ? waylandDisplay : QString(display).remove(screenNumber));
    if (!runtimeDir.isEmpty()) {
        const QString path = runtimeDir + QStringLiteral("/quillo-") + session;
        if (path.toLocal8Bit().size() <= maxSocketPathBytes)
            return path;
    }
    return QStringLiteral("quillo-%1-%2").arg(uid).arg(session);
}

std::optional<SingleInstance::Request> SingleInstance::requestFromLine(QByteArrayView line)
{
    for (const auto &r : kRequests) {
        if (line == QByteArrayView(r.line))
            return r.request;
    }
    return std::nullopt;
}

QByteArray SingleInstance::lineOf(Request request)
{
    for (const auto &r : kRequests) {
        if (r.request == request)
            return QByteArray(r.line);
    }
    return {};
}

SingleInstance::Reply SingleInstance::send(Request request, std::chrono::milliseconds timeout) const
{
    const QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(remainingMs(deadline))) {
        const bool nobody = socket.error() == QLocalSocket::ServerNotFoundError
            || socket.error() == QLocalSocket::ConnectionRefusedError;
        return {nobody ? Reply::Kind::noInstance : Reply::Kind::noAnswer, {}};
    }
    socket.write(lineOf(request) + '\n');
    socket.waitForBytesWritten(remainingMs(deadline));
    while (true) {
        if (auto line = takeLine(socket))
            return replyFrom(*line);
        if (lineTooLong(socket) || deadline.hasExpired())
            break;
        if (!socket.waitForReadyRead(remainingMs(deadline)) && socket.bytesAvailable() == 0)
            break;
    }
    return {Reply::Kind::noAnswer, {}};
}

bool SingleInstance::notifyRunningInstance()
{
    // Whatever it answers, another instance is there: this launch must not start a second one.
    return send(Request::openSettings).kind != Reply::Kind::noInstance;
}

bool SingleInstance::listen(Scheduler &scheduler, std::function<bool(Request)> onRequest)
{
    scheduler_ = &scheduler;
    onRequest_ = std::move(onRequest);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A socket file left by a crashed instance: nobody answered, so take it over.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_))
            return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection())
            accept(socket);
    });
    return true;
}

void SingleInstance::accept(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] { idle_.erase(socket); });
    // Reads are asynchronous and bounded: a client that stalls or sends garbage costs a
    // socket for a while, never the main loop.
    idle_[socket] = scheduler_->after(idleTimeout, [guard = QPointer<QLocalSocket>(socket)] {
        if (guard)
            guard->abort();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    readRequest(socket);
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    const std::optional<QByteArray> line = takeLine(*socket);
    if (!line) {
        if (lineTooLong(*socket))
            answer(socket, errorPrefix + "request too long");
        return;
    }
    const std::optional<Request> request = requestFromLine(*line);
    if (!request) {
        answer(socket, errorPrefix + "unknown request");
        return;
    }
    const bool acted = onRequest_ && onRequest_(*request);
    answer(socket, acted ? okAnswer : ignoredAnswer);
}

void SingleInstance::answer(QLocalSocket *socket, const QByteArray &line)
{
    // One request per connection: whatever follows is not read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    idle_.erase(socket);
    socket->write(line + '\n');
    // Closes once the answer has been written.
    socket->disconnectFromServer();
}

} // namespace quillo
