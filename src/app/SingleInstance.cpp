#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quillo {

namespace {

using Request = SingleInstance::Request;

struct RequestName {
    Request request;
    const char *line;
};

constexpr std::array<RequestName, 8> kRequests = {{
    {Request::openSettings, "open-settings"},
    {Request::toggle, "toggle"},
    {Request::start, "start"},
    {Request::stop, "stop"},
    {Request::cancel, "cancel"},
    {Request::translate, "translate"},
    {Request::retry, "retry"},
    {Request::status, "status"},
}};

const QByteArray okAnswer = QByteArrayLiteral("ok");
const QByteArray ignoredAnswer = QByteArrayLiteral("ignored");
const QByteArray errorPrefix = QByteArrayLiteral("error: ");

// Unix socket paths are limited to 108 bytes; leave room for Qt's temporary name.
constexpr qsizetype maxSocketPathBytes = 90;

// The first line in the socket's buffer without its line break, once a whole one is there.
std::optional<QByteArray> takeLine(QLocalSocket &socket, qsizetype maxBytes = SingleInstance::maxLineBytes)
{
    const qsizetype end = socket.peek(maxBytes + 1).indexOf('\n');
    if (end < 0)
        return std::nullopt;
    return socket.read(end + 1).trimmed();
}

bool lineTooLong(const QLocalSocket &socket, qsizetype maxBytes = SingleInstance::maxLineBytes)
{
    return socket.bytesAvailable() > maxBytes;
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

// An instance's error text goes to a terminal: no control or format characters (escape
// sequences, bidi overrides, line breaks), and no more than a line's worth.
QString printable(const QString &text)
{
    QList<char32_t> kept;
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            continue;
        default:
            kept.append(c);
        }
    }
    if (kept.size() <= SingleInstance::maxDetailChars)
        return QString::fromUcs4(kept.constData(), kept.size());
    return QString::fromUcs4(kept.constData(), SingleInstance::maxDetailChars) + QChar(0x2026);
}

SingleInstance::Reply replyFrom(const QByteArray &line, Request request)
{
    using Kind = SingleInstance::Reply::Kind;
    if (request == Request::status && line.startsWith('{'))
        return {Kind::status, QString::fromUtf8(line)};
    if (line == okAnswer)
        return {Kind::taken, {}};
    if (line == ignoredAnswer)
        return {Kind::ignored, {}};
    if (line.startsWith(errorPrefix))
        return {Kind::refused, printable(QString::fromUtf8(line.mid(errorPrefix.size())))};
    // Whoever answers outside the protocol is not a Quillo: nothing of it is shown.
    return {Kind::badAnswer, {}};
}

// The socket's folder, looked at without following a link: a link planted in its place
// is refused rather than followed.
struct Folder {
    bool missing = false;
    std::optional<QString> problem; // why it may not hold the socket
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

std::optional<QString> problemWith(const QString &dir, const struct stat &info)
{
    if (S_ISLNK(info.st_mode))
        return QCoreApplication::translate("App", "%1 是符号链接").arg(dir);
    if (!S_ISDIR(info.st_mode))
        return QCoreApplication::translate("App", "%1 不是目录").arg(dir);
    if (info.st_uid != geteuid())
        return QCoreApplication::translate("App", "%1 属于另一个用户（uid %2）").arg(dir).arg(info.st_uid);
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QCoreApplication::translate("App", "其他用户可以访问 %1（权限 %2）")
            .arg(dir, QString::number(info.st_mode & 07777, 8).rightJustified(4, u'0'));
    return std::nullopt;
}

Folder inspect(const QString &dir)
{
    struct stat info { };
    if (::lstat(QFile::encodeName(dir).constData(), &info) == 0)
        return {false, problemWith(dir, info)};
    const int error = errno;
    if (error == ENOENT)
        return {true, std::nullopt};
    return {false, QCoreApplication::translate("App", "无法检查 %1：%2").arg(dir, systemError(error))};
}

// Creates the folder (0700) when it is missing, then checks whatever is there now: one
// that someone else made first fails the check like any other.
std::optional<QString> ensurePrivate(const QString &dir)
{
    if (::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        return QCoreApplication::translate("App", "无法创建 %1：%2").arg(dir, systemError(error));
    }
    const Folder folder = inspect(dir);
    if (folder.missing)
        return QCoreApplication::translate("App", "无法创建 %1：%2").arg(dir, systemError(ENOENT));
    return folder.problem;
}

QString folderOf(const QString &socketName)
{
    return QFileInfo(socketName).absolutePath();
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
// a folder of the user's own in the temporary folder, with the user id in its name.
QString SingleInstance::defaultName()
{
    return nameFor(qEnvironmentVariable("XDG_RUNTIME_DIR"), qEnvironmentVariable("WAYLAND_DISPLAY"),
        qEnvironmentVariable("DISPLAY"), getuid(), QDir::tempPath());
}

QString SingleInstance::nameFor(
    const QString &runtimeDir, const QString &waylandDisplay, const QString &display, uint uid, const QString &tempDir)
{
    static const QRegularExpression screenNumber(QStringLiteral("\\.[0-9]+$"));
    const QString socket = QStringLiteral("/quillo-")
        + safeComponent(!waylandDisplay.isEmpty() ? waylandDisplay : QString(display).remove(screenNumber));
    if (!runtimeDir.isEmpty()) {
        const QString path = runtimeDir + socket;
        if (path.toLocal8Bit().size() <= maxSocketPathBytes)
            return path;
    }
    return tempDir + QStringLiteral("/quillo-%1").arg(uid) + socket;
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
    const Folder folder = inspect(folderOf(name_));
    if (folder.missing)
        return {Reply::Kind::noInstance, {}};
    if (folder.problem)
        return {Reply::Kind::notPrivate, *folder.problem};
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
    const qsizetype maxAnswer = request == Request::status ? maxStatusBytes : maxLineBytes;
    while (true) {
        if (auto line = takeLine(socket, maxAnswer))
            return replyFrom(*line, request);
        if (lineTooLong(socket, maxAnswer))
            return {Reply::Kind::badAnswer, {}};
        if (deadline.hasExpired() || !socket.waitForReadyRead(remainingMs(deadline)))
            break;
    }
    // Bytes without a line end are no answer of ours either.
    return {socket.bytesAvailable() > 0 ? Reply::Kind::badAnswer : Reply::Kind::noAnswer, {}};
}

bool SingleInstance::notifyRunningInstance()
{
    // Whatever it answers, another instance is there: this launch must not start a second one.
    // A folder that is not private holds no instance of ours.
    const Reply::Kind kind = send(Request::openSettings).kind;
    return kind != Reply::Kind::noInstance && kind != Reply::Kind::notPrivate;
}

Expected<Done, QString> SingleInstance::listen(Scheduler &scheduler, std::function<Answer(Request)> onRequest)
{
    if (auto problem = ensurePrivate(folderOf(name_)))
        return unexpected(*problem);
    scheduler_ = &scheduler;
    onRequest_ = std::move(onRequest);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name_)) {
        // A socket file left by a crashed instance: nobody answered, so take it over.
        QLocalServer::removeServer(name_);
        if (!server->listen(name_))
            return unexpected(QCoreApplication::translate("App", "无法监听 %1：%2").arg(name_, server->errorString()));
    }
    server_ = std::move(server);
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection())
            accept(socket);
    });
    return Done{};
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
    if (*request == Request::status) {
        const QByteArray status = statusReport_ ? statusReport_() : QByteArray();
        answer(socket, status.startsWith('{') && !status.contains('\n') ? status : errorPrefix + "no status");
        return;
    }
    const Answer handled = onRequest_ ? onRequest_(*request) : Answer(false);
    if (!handled.refusal.isEmpty()) {
        answer(socket, errorPrefix + handled.refusal.simplified().left(maxDetailChars).toUtf8());
        return;
    }
    answer(socket, handled.acted ? okAnswer : ignoredAnswer);
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
