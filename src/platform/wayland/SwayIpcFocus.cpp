#include "platform/wayland/SwayIpcFocus.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace quillo {

namespace {

constexpr char magic[] = "i3-ipc";
constexpr qsizetype magicSize = 6;
constexpr qsizetype headerSize = magicSize + 8;
// A tree larger than this is not an answer we can use.
constexpr std::uint32_t maxPayload = 64u << 20;

std::optional<QJsonObject> focusedNode(const QJsonObject &node)
{
    if (node.value(QLatin1String("focused")).toBool())
        return node;
    for (const char *children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue &child : node.value(QLatin1String(children)).toArray()) {
            if (auto found = focusedNode(child.toObject()))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace

SwayIpcFocus::SwayIpcFocus(QString socketPath)
    : path_(std::move(socketPath))
{
}

QByteArray SwayIpcFocus::frame(std::uint32_t type, const QByteArray &payload)
{
    QByteArray message(magic, magicSize);
    const auto length = static_cast<std::uint32_t>(payload.size());
    message.append(reinterpret_cast<const char *>(&length), sizeof length);
    message.append(reinterpret_cast<const char *>(&type), sizeof type);
    message.append(payload);
    return message;
}

std::optional<QByteArray> SwayIpcFocus::takeMessage(QByteArray &buffer, std::uint32_t &type)
{
    if (buffer.size() < headerSize)
        return std::nullopt;
    std::uint32_t length = 0;
    std::memcpy(&length, buffer.constData() + magicSize, sizeof length);
    std::memcpy(&type, buffer.constData() + magicSize + 4, sizeof type);
    if (buffer.size() - headerSize < static_cast<qsizetype>(length))
        return std::nullopt;
    QByteArray payload = buffer.mid(headerSize, length);
    buffer.remove(0, headerSize + length);
    return payload;
}

std::optional<CompositorWindow> SwayIpcFocus::parseTree(const QByteArray &json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    const auto node = focusedNode(doc.object());
    if (!node)
        return std::nullopt;
    // Outputs and workspaces take the focus when no window is there.
    const QString type = node->value(QLatin1String("type")).toString();
    if (type != QLatin1String("con") && type != QLatin1String("floating_con"))
        return std::nullopt;
    CompositorWindow window;
    window.title = node->value(QLatin1String("name")).toString();
    window.pid = node->value(QLatin1String("pid")).toInteger();
    window.id = QString::number(node->value(QLatin1String("id")).toInteger());
    const QJsonValue appId = node->value(QLatin1String("app_id"));
    const QJsonObject x11 = node->value(QLatin1String("window_properties")).toObject();
    window.xwayland = node->value(QLatin1String("shell")).toString() == QLatin1String("xwayland")
        || (appId.isNull() && !x11.isEmpty());
    if (window.xwayland) {
        window.appId = x11.value(QLatin1String("class")).toString();
        window.x11Instance = x11.value(QLatin1String("instance")).toString();
    } else {
        window.appId = appId.toString();
    }
    // A container of several windows has the focus only as a split; it names no application.
    if (window.appId.isEmpty() && window.x11Instance.isEmpty() && node->value(QLatin1String("nodes")).toArray().size())
        return std::nullopt;
    return window;
}

bool SwayIpcFocus::ensureConnected()
{
    if (socket_.state() == QLocalSocket::ConnectedState)
        return true;
    if (path_.isEmpty())
        return false;
    socket_.abort();
    socket_.connectToServer(path_);
    return socket_.waitForConnected(static_cast<int>(answerBound.count()));
}

std::optional<QByteArray> SwayIpcFocus::ask(std::uint32_t type)
{
    if (!ensureConnected())
        return std::nullopt;
    socket_.readAll(); // nothing is subscribed; anything left is stale
    socket_.write(frame(type, {}));
    const QDeadlineTimer deadline(answerBound);
    QByteArray buffer;
    while (!deadline.hasExpired()) {
        if (!socket_.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))))
            break;
        buffer += socket_.readAll();
        std::uint32_t replyType = 0;
        if (buffer.size() >= headerSize) {
            std::uint32_t length = 0;
            std::memcpy(&length, buffer.constData() + magicSize, sizeof length);
            if (length > maxPayload)
                break;
        }
        if (auto payload = takeMessage(buffer, replyType); payload && replyType == type)
            return payload;
    }
    socket_.abort(); // a half-read answer would confuse the next question
    return std::nullopt;
}

std::optional<CompositorWindow> SwayIpcFocus::focusedWindow()
{
    const auto tree = ask(getTree);
    if (!tree)
        return std::nullopt;
    return parseTree(*tree);
}

} // namespace quillo
