#pragma once

#include "platform/HttpClient.h"

#include <QNetworkAccessManager>

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
    QNetworkAccessManager manager_;
};

} // namespace quillo
