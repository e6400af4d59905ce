#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace quillo {

// A client WebSocket, as the realtime recognition client needs it. All calls and
// callbacks happen on the main thread. Destroying the socket drops the connection
// and guarantees that no callback fires afterwards.
class WebSocket {
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    // Empty on success, else the transport's description of the failure.
    using SendDone = std::function<void(std::optional<QString> error)>;

    virtual ~WebSocket() = default;

    // Starts the handshake. Text sent before it completes is queued and goes out in order.
    virtual void open(const QUrl &url, const Headers &headers, std::chrono::milliseconds handshakeTimeout) = 0;
    virtual void sendText(const QString &text, SendDone done) = 0;
    // Closes with the given code; no failure is reported for a socket closed this way.
    virtual void close(int code) = 0;

    std::function<void(const QString &)> onTextFrame;
    std::function<void(const QByteArray &)> onBinaryFrame;
    // Handshake failure or time-out, network error, or the peer closing the connection.
    // Reported at most once; nothing is received after it.
    std::function<void(const QString &)> onFailure;
};

using WebSocketFactory = std::function<std::unique_ptr<WebSocket>()>;

} // namespace quillo
