#pragma once

#include "platform/WebSocket.h"

#include <QStringList>

#include <deque>
#include <memory>

namespace quillo {

// What a FakeWebSocket saw; outlives the socket so tests can look after the owner is gone.
struct FakeWebSocketLog {
    bool opened = false;
    QUrl url;
    WebSocket::Headers headers;
    std::chrono::milliseconds handshakeTimeout{0};
    QStringList sent;
    std::optional<int> closeCode;
    bool destroyed = false;

    QByteArray header(const QByteArray &name) const;
};

// A scripted socket for pure-logic tests: records what the client sends and lets the
// test deliver frames and failures. Sends complete at once with success unless the
// test holds them back.
class FakeWebSocket final : public WebSocket {
public:
    explicit FakeWebSocket(std::shared_ptr<FakeWebSocketLog> log = std::make_shared<FakeWebSocketLog>());
    ~FakeWebSocket() override;

    void open(const QUrl &url, const Headers &headers, std::chrono::milliseconds handshakeTimeout) override;
    void sendText(const QString &text, SendDone done) override;
    void close(int code) override;

    const std::shared_ptr<FakeWebSocketLog> &log() const { return log_; }

    // Delivery, as the network would do it.
    void deliverText(const QString &text);
    void deliverBinary(const QByteArray &data);
    void fail(const QString &message);

    // Holding sends back: their completions wait for completeHeldSends().
    void setHoldSends(bool hold) { holdSends_ = hold; }
    void completeHeldSends(const std::optional<QString> &error);
    std::size_t heldSendCount() const { return held_.size(); }
    // Keep no copy of sent text (benchmarks).
    void setRecordSends(bool record) { recordSends_ = record; }

private:
    std::shared_ptr<FakeWebSocketLog> log_;
    std::deque<SendDone> held_;
    bool holdSends_ = false;
    bool recordSends_ = true;
};

} // namespace quillo
