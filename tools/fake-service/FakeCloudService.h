#pragma once

#include "FakeScenario.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QSslServer>
#include <QWebSocketServer>

#include <functional>

class QSslSocket;

namespace quillo::fake {

// A local stand-in for the cloud service: one TLS port on 127.0.0.1 serving the realtime
// WebSocket ("/api-ws/v1/realtime") and the chat endpoint
// ("/compatible-mode/v1/chat/completions"), scripted by a FakeScenario. Everything the
// clients send is recorded (the API key never is). Control endpoints: GET
// "/_fake/received", POST "/_fake/scenario" (a scenario JSON), POST "/_fake/reset".
class FakeCloudService : public QObject {
    Q_OBJECT
public:
    explicit FakeCloudService(QObject *parent = nullptr);
    ~FakeCloudService() override;

    // Listens on 127.0.0.1:port (0: any free port) with a PEM certificate chain and key.
    bool start(const QString &certificateFile, const QString &keyFile, quint16 port, QString *error);
    quint16 port() const;
    // "127.0.0.1:PORT", what the clients take as their host.
    QString host() const;

    void setScenario(FakeScenario scenario) { scenario_ = std::move(scenario); }
    const FakeScenario &scenario() const { return scenario_; }

    // {"asrSessions":[…], "chatRequests":[…]}; see README.md.
    QJsonObject received() const;
    void clearReceived();
    // Called whenever something new was recorded.
    std::function<void()> onRecorded;

    // TLS connections accepted so far (WebSocket, chat and control alike).
    int connectionsAccepted() const { return connectionsAccepted_; }
    // Closes every kept-alive connection that has no request under way, as the real
    // service does once a connection has been idle for a while.
    void closeIdleConnections();

private:
    struct Request {
        QByteArray method;
        QByteArray target;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QByteArray header(const QByteArray &name) const;
    };

    void accept();
    void readRequests(QSslSocket *socket);
    void handle(QSslSocket *socket, const Request &request);
    void upgrade(QSslSocket *socket, const Request &request);
    void adoptWebSocket();
    void chat(QSslSocket *socket, const Request &request);
    void control(QSslSocket *socket, const Request &request);
    bool keyAccepted(const Request &request) const;
    QJsonObject recordHeaders(const Request &request) const;
    void notifyRecorded();
    enum class Keep { alive, close };
    // An answer on a connection that stays open for the next request unless `keep`
    // or the request's "Connection: close" says otherwise.
    void respond(QSslSocket *socket, int status, const QByteArray &body, Keep keep = Keep::alive);

    QSslServer server_;
    QWebSocketServer webSockets_;
    FakeScenario scenario_;
    QJsonArray asrSessions_;
    QJsonArray chatRequests_;
    int acceptedSessions_ = 0;
    int connectionsAccepted_ = 0;
    // Upgraded sockets waiting for QWebSocketServer, by peer port: their log index and script.
    QHash<quint16, QPair<int, int>> pendingUpgrades_;
};

} // namespace quillo::fake
