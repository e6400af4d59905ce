#include "platform/qt/QtHttpClient.h"

#include "platform/qt/TlsTrust.h"

#include <QNetworkReply>
#include <QTimer>

namespace quillo {

QtHttpClient::QtHttpClient() = default;

// Requests and pre-connections alike offer HTTP/2: the manager keeps HTTP/2-capable
// connections apart from HTTP/1-only ones, so a pre-connection without this offer would
// be one that no request ever uses. Made once: parsing the extra roots costs a third of
// a millisecond, and the connection is asked for every second while the user speaks.
const QSslConfiguration &QtHttpClient::sslConfiguration()
{
    if (!ssl_) {
        ssl_ = cloudSslConfiguration();
        ssl_->setAllowedNextProtocols({QSslConfiguration::ALPNProtocolHTTP2, QSslConfiguration::NextProtocolHttp1_1});
    }
    return *ssl_;
}

QtHttpClient::~QtHttpClient()
{
    // Replies are children of the manager; silence them before they are aborted.
    for (QNetworkReply *reply : manager_.findChildren<QNetworkReply *>()) {
        reply->disconnect();
        reply->abort();
    }
}

void QtHttpClient::post(const HttpRequest &request, std::function<void(HttpResult)> done)
{
    QNetworkRequest networkRequest(request.url);
    for (const auto &[name, value] : request.headers)
        networkRequest.setRawHeader(name, value);
    networkRequest.setSslConfiguration(sslConfiguration());
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);

    QNetworkReply *reply = manager_.post(networkRequest, request.body);
    auto timedOut = std::make_shared<bool>(false);
    if (request.timeout.count() > 0) {
        auto *timer = new QTimer(reply);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, reply, [reply, timedOut] {
            *timedOut = true;
            reply->abort();
        });
        timer->start(request.timeout);
    }
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, timedOut, done = std::move(done)] {
        reply->deleteLater();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (*timedOut) {
            done(unexpected(HttpFailure{HttpFailure::Kind::timeout, QStringLiteral("The request timed out")}));
            return;
        }
        // An HTTP error status still is a response; only a missing one is a transport failure.
        if (reply->error() != QNetworkReply::NoError && !status.isValid()) {
            done(unexpected(HttpFailure{HttpFailure::Kind::network, reply->errorString()}));
            return;
        }
        done(HttpResponse{status.isValid() ? status.toInt() : 0, reply->readAll()});
    });
}

void QtHttpClient::prewarm(const QUrl &url)
{
    if (url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return;
    // The manager hands out no reply for a pre-connection; it deletes it once done.
    manager_.setAutoDeleteReplies(true);
    manager_.connectToHostEncrypted(url.host(), static_cast<quint16>(url.port(443)), sslConfiguration());
    manager_.setAutoDeleteReplies(false);
}

} // namespace quillo
