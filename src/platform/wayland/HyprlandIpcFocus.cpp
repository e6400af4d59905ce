#include "platform/wayland/HyprlandIpcFocus.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

namespace quillo {

HyprlandIpcFocus::HyprlandIpcFocus(QString socketPath)
    : path_(std::move(socketPath))
{
}

QString HyprlandIpcFocus::sessionSocket()
{
    const QString signature = qEnvironmentVariable("HYPRLAND_INSTANCE_SIGNATURE");
    if (signature.isEmpty())
        return {};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString current = runtime + QStringLiteral("/hypr/") + signature + QStringLiteral("/.socket.sock");
    if (!runtime.isEmpty() && QFileInfo::exists(current))
        return current;
    const QString older = QStringLiteral("/tmp/hypr/") + signature + QStringLiteral("/.socket.sock");
    return QFileInfo::exists(older) ? older : QString();
}

std::optional<CompositorWindow> HyprlandIpcFocus::parseActiveWindow(const QByteArray &json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    CompositorWindow window;
    window.appId = o.value(QLatin1String("class")).toString();
    if (window.appId.isEmpty())
        window.appId = o.value(QLatin1String("initialClass")).toString();
    if (window.appId.isEmpty())
        return std::nullopt;
    window.title = o.value(QLatin1String("title")).toString();
    window.pid = o.value(QLatin1String("pid")).toInteger();
    window.id = o.value(QLatin1String("address")).toString();
    window.xwayland = o.value(QLatin1String("xwayland")).toBool();
    return window;
}

std::optional<CompositorWindow> HyprlandIpcFocus::focusedWindow()
{
    if (path_.isEmpty())
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(static_cast<int>(answerBound.count())))
        return std::nullopt;
    socket.write("j/activewindow");
    socket.flush();
    const QDeadlineTimer deadline(answerBound);
    QByteArray answer;
    // The answer ends when Hyprland closes the connection.
    while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
        if (socket.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))))
            answer += socket.readAll();
    }
    answer += socket.readAll();
    return parseActiveWindow(answer);
}

} // namespace quillo
