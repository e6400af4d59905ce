#pragma once

#include "platform/WebSocket.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWebSocket>

#include <deque>

namespace quillo {

// WebSocket port over QWebSocket with the cloud TLS settings.
class QtWebSocket final : public WebSocket {
public:
    QtWebSocket();
    ~QtWebSocket() override;

    void open(const QUrl &url, const Headers &headers, std::chrono::milliseconds handshakeTimeout) override;
    void sendText(const QString &text, SendDone done) override;
    void close(int code) override;

    static WebSocketFactory factory();

private:
    struct Outgoing {
        QString text;
        SendDone done;
    };
    void handleConnected();
    void fail(const QString &message);
    void write(Outgoing outgoing);
    void failQueued(const QString &message);

    // Deleted later, never inside one of its own signals.
    QPointer<QWebSocket> socket_;
    QObject context_;
    QTimer handshakeTimer_;
    std::deque<Outgoing> queued_;
    bool connected_ = false;
    bool done_ = false; // failed or closed by us: nothing more is reported
    // Callbacks may destroy this adapter; work after one continues only while it lives.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace quillo
