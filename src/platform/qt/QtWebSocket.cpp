#include "platform/qt/QtWebSocket.h"

#include "platform/qt/TlsTrust.h"

#include <QNetworkRequest>

namespace quillo {

QtWebSocket::QtWebSocket()
    : socket_(new QWebSocket)
{
    socket_->setSslConfiguration(cloudSslConfiguration());
    handshakeTimer_.setSingleShot(true);
    QObject::connect(&handshakeTimer_, &QTimer::timeout, &context_,
        [this] { fail(QStringLiteral("WebSocket handshake timed out")); });
    QObject::connect(socket_, &QWebSocket::connected, &context_, [this] { handleConnected(); });
    QObject::connect(socket_, &QWebSocket::textMessageReceived, &context_, [this](const QString &text) {
        if (!done_ && onTextFrame)
            onTextFrame(text);
    });
    QObject::connect(socket_, &QWebSocket::binaryMessageReceived, &context_, [this](const QByteArray &data) {
        if (!done_ && onBinaryFrame)
            onBinaryFrame(data);
    });
    QObject::connect(socket_, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), &context_,
        [this](QAbstractSocket::SocketError) { fail(socket_->errorString()); });
    QObject::connect(socket_, &QWebSocket::sslErrors, &context_, [this](const QList<QSslError> &errors) {
        // Never ignored: the handshake fails and errorOccurred follows.
        fail(errors.isEmpty() ? QStringLiteral("TLS error") : errors.first().errorString());
    });
    QObject::connect(socket_, &QWebSocket::disconnected, &context_, [this] {
        const int code = static_cast<int>(socket_->closeCode());
        const QString reason = socket_->closeReason();
        fail(QStringLiteral("The server closed the connection (code %1%2)")
                 .arg(code)
                 .arg(reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
    });
}

QtWebSocket::~QtWebSocket()
{
    done_ = true;
    if (!socket_)
        return;
    QObject::disconnect(socket_, nullptr, &context_, nullptr);
    // Never deleted in place: we may be inside one of its signals. A close frame already
    // queued gets a moment to reach the server.
    QWebSocket *socket = socket_;
    QObject::connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(std::chrono::seconds(2), socket, &QObject::deleteLater);
    if (socket->state() != QAbstractSocket::ConnectedState && socket->state() != QAbstractSocket::ClosingState)
        socket->deleteLater();
}

void QtWebSocket::open(const QUrl &url, const Headers &headers, std::chrono::milliseconds handshakeTimeout)
{
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (handshakeTimeout.count() > 0)
        handshakeTimer_.start(handshakeTimeout);
    socket_->open(request);
}

void QtWebSocket::sendText(const QString &text, SendDone done)
{
    if (done_) {
        if (done)
            done(QStringLiteral("The connection is closed"));
        return;
    }
    if (!connected_) {
        queued_.push_back({text, std::move(done)});
        return;
    }
    write({text, std::move(done)});
}

void QtWebSocket::close(int code)
{
    if (done_)
        return;
    done_ = true;
    handshakeTimer_.stop();
    // Queued: this is often called from inside one of the socket's own signals, where
    // QWebSocket is still processing the frame.
    QMetaObject::invokeMethod(
        socket_,
        [socket = socket_, code] {
            if (socket)
                socket->close(static_cast<QWebSocketProtocol::CloseCode>(code));
        },
        Qt::QueuedConnection);
    failQueued(QStringLiteral("The connection is closed"));
}

WebSocketFactory QtWebSocket::factory()
{
    return [] { return std::make_unique<QtWebSocket>(); };
}

void QtWebSocket::handleConnected()
{
    handshakeTimer_.stop();
    connected_ = true;
    const std::weak_ptr<bool> guard = alive_;
    while (!guard.expired() && !done_ && !queued_.empty()) {
        Outgoing next = std::move(queued_.front());
        queued_.pop_front();
        write(std::move(next));
    }
}

void QtWebSocket::write(Outgoing outgoing)
{
    const qint64 expected = outgoing.text.toUtf8().size();
    const qint64 written = socket_->sendTextMessage(outgoing.text);
    if (!outgoing.done)
        return;
    if (written < expected)
        outgoing.done(QStringLiteral("Sending on the WebSocket failed"));
    else
        outgoing.done(std::nullopt);
}

void QtWebSocket::fail(const QString &message)
{
    if (done_)
        return;
    done_ = true;
    handshakeTimer_.stop();
    const std::weak_ptr<bool> guard = alive_;
    failQueued(message);
    if (!guard.expired() && onFailure)
        onFailure(message);
}

void QtWebSocket::failQueued(const QString &message)
{
    // The completions run from a local list: any of them may destroy this adapter.
    auto queued = std::exchange(queued_, {});
    for (auto &outgoing : queued) {
        if (outgoing.done)
            outgoing.done(message);
    }
}

} // namespace quillo
