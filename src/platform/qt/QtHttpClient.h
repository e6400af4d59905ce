#pragma once

#include "platform/HttpClient.h"

#include <QNetworkAccessManager>
#include <QSslConfiguration>

#include <optional>

namespace quillo {

// HTTP port over QNetworkAccessManager with the cloud TLS settings. Requests still
// running when the client is destroyed are aborted without calling back.
class QtHttpClient final : public HttpClient {
public:
    QtHttpClient();
    ~QtHttpClient() override;

    void post(const HttpRequest &request, std::function<void(HttpResult)> done) override;
    void prewarm(const QUrl &url) override;

private:
    // The cloud TLS settings of every request and pre-connection, made at the first.
    const QSslConfiguration &sslConfiguration();

    QNetworkAccessManager manager_;
    std::optional<QSslConfiguration> ssl_;
};

} // namespace quillo
