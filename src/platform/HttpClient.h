#pragma once

#include "common/Expected.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

namespace quillo {

struct HttpRequest {
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    std::chrono::milliseconds timeout{0}; // whole exchange; zero means none
};

struct HttpResponse {
    int status = 0; // 0 when the answer was not an HTTP response
    QByteArray body;
};

// No response at all: no connection, TLS failure, time-out, cancellation.
struct HttpFailure {
    enum class Kind { network, timeout };
    Kind kind = Kind::network;
    QString message; // the transport's own description

    friend bool operator==(const HttpFailure &, const HttpFailure &) = default;
};

using HttpResult = Expected<HttpResponse, HttpFailure>;

// HTTPS requests on the main thread. The completion runs once, on the main thread,
// and never after the client has been destroyed.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual void post(const HttpRequest &request, std::function<void(HttpResult)> done) = 0;
    // Opens a connection to url's host (name lookup, TCP, TLS with the same certificate
    // checks as a request) for a request expected soon, so that it goes out without
    // handshakes; nothing when such a connection is open already. Reports nothing: a
    // request after a failed one simply connects as it would have anyway.
    virtual void prewarm(const QUrl &url) = 0;
};

} // namespace quillo
