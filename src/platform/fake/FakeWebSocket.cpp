#include "platform/fake/FakeWebSocket.h"

namespace quillo {

QByteArray FakeWebSocketLog::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

FakeWebSocket::FakeWebSocket(std::shared_ptr<FakeWebSocketLog> log)
    : log_(std::move(log))
{
}

FakeWebSocket::~FakeWebSocket()
{
    log_->destroyed = true;
}

void FakeWebSocket::open(const QUrl &url, const Headers &headers, std::chrono::milliseconds handshakeTimeout)
{
    log_->opened = true;
    log_->url = url;
    log_->headers = headers;
    log_->handshakeTimeout = handshakeTimeout;
}

void FakeWebSocket::sendText(const QString &text, SendDone done)
{
    if (recordSends_)
        log_->sent.append(text);
    if (holdSends_) {
        held_.push_back(std::move(done));
        return;
    }
    if (done)
        done(std::nullopt);
}

void FakeWebSocket::close(int code)
{
    log_->closeCode = code;
}

void FakeWebSocket::deliverText(const QString &text)
{
    if (onTextFrame)
        onTextFrame(text);
}

void FakeWebSocket::deliverBinary(const QByteArray &data)
{
    if (onBinaryFrame)
        onBinaryFrame(data);
}

void FakeWebSocket::fail(const QString &message)
{
    if (onFailure)
        onFailure(message);
}

void FakeWebSocket::completeHeldSends(const std::optional<QString> &error)
{
    auto pending = std::move(held_);
    held_.clear();
    for (auto &done : pending) {
        if (done)
            done(error);
    }
}

} // namespace quillo
