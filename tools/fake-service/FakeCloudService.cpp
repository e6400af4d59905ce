#include "FakeCloudService.h"

#include "FakeAsrSession.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QPointer>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>

namespace quillo::fake {

namespace {

constexpr qsizetype maxHeaderBytes = 64 * 1024;
constexpr qsizetype maxBodyBytes = 64 * 1024 * 1024;
// Set on a socket while its request is being answered, and on one handed to the WebSocket server.
constexpr char busyProperty[] = "quilloFakeBusy";
constexpr char upgradedProperty[] = "quilloFakeUpgraded";
// Set when the client asked for "Connection: close".
constexpr char closeProperty[] = "quilloFakeClose";

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray errorEnvelope(const QString &code, const QString &message)
{
    return compact({{"error",
                        QJsonObject{{"message", message}, {"type", "invalid_request_error"},
                            {"param", QJsonValue::Null}, {"code", code}}},
        {"request_id", "fake-request"}});
}

// The content of the first system message: rules may ask for a polish or a translation prompt.
QString systemPromptOf(const QJsonObject &body)
{
    for (const QJsonValue &value : body.value("messages").toArray()) {
        const QJsonObject message = value.toObject();
        if (message.value("role").toString() == QLatin1String("system"))
            return message.value("content").toString();
    }
    return {};
}

// The text between <transcript> tags of the last user message, or that whole message.
QString transcriptOf(const QJsonObject &body)
{
    const QJsonArray messages = body.value("messages").toArray();
    for (qsizetype i = messages.size() - 1; i >= 0; --i) {
        const QJsonObject message = messages.at(i).toObject();
        if (message.value("role").toString() != QLatin1String("user"))
            continue;
        const QString content = message.value("content").toString();
        const qsizetype open = content.indexOf(QLatin1String("<transcript>"));
        const qsizetype close = content.indexOf(QLatin1String("</transcript>"));
        if (open < 0 || close < open)
            return content;
        const qsizetype from = open + qsizetype(sizeof("<transcript>") - 1);
        return content.mid(from, close - from);
    }
    return {};
}

QString cleaned(const QString &transcript)
{
    QString text;
    for (const QChar c : transcript) {
        if (c.isSpace() || QStringView(u"嗯啊呃额").contains(c))
            continue;
        text.append(c);
    }
    if (!text.isEmpty() && !QStringView(u"。！？.!?").contains(text.back()))
        text.append(QChar(u'。'));
    return text;
}

QByteArray chatAnswer(const ChatRule &rule, const QJsonObject &body, const QString &transcript)
{
    if (rule.raw)
        return *rule.raw;
    if (rule.status != 200) {
        return errorEnvelope(rule.errorCode.isEmpty() ? QStringLiteral("InternalError") : rule.errorCode,
            rule.errorMessage.isEmpty() ? QStringLiteral("The request failed.") : rule.errorMessage);
    }
    QJsonArray choices;
    if (!rule.emptyChoices) {
        QJsonValue content = QJsonValue::Null;
        if (rule.content) {
            QString text = *rule.content;
            text.replace(QLatin1String("{transcript}"), transcript)
                .replace(QLatin1String("{cleaned}"), cleaned(transcript));
            content = text;
        }
        choices.append(QJsonObject{{"message", QJsonObject{{"role", "assistant"}, {"content", content}}},
            {"finish_reason", "stop"}, {"index", 0}, {"logprobs", QJsonValue::Null}});
    }
    return compact({{"choices", choices}, {"object", "chat.completion"},
        {"usage", QJsonObject{{"prompt_tokens", 10}, {"completion_tokens", 5}, {"total_tokens", 15}}},
        {"created", QDateTime::currentSecsSinceEpoch()}, {"model", body.value("model")}, {"id", "chatcmpl-fake"}});
}

} // namespace

QByteArray FakeCloudService::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

FakeCloudService::FakeCloudService(QObject *parent)
    : QObject(parent)
    , webSockets_(QStringLiteral("quillo-fake-service"), QWebSocketServer::NonSecureMode)
{
    connect(&server_, &QTcpServer::pendingConnectionAvailable, this, &FakeCloudService::accept);
    connect(&webSockets_, &QWebSocketServer::newConnection, this, &FakeCloudService::adoptWebSocket);
}

FakeCloudService::~FakeCloudService()
{
    // Connections and sessions go first: closing them reports back into members that the
    // base destructor would otherwise find already gone.
    onRecorded = nullptr;
    QList<QPointer<QObject>> owned;
    for (QObject *child : children())
        owned.append(child);
    for (const QPointer<QObject> &child : owned)
        delete child.data();
}

bool FakeCloudService::start(const QString &certificateFile, const QString &keyFile, quint16 port, QString *error)
{
    const auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    QFile keyPem(keyFile);
    if (!keyPem.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read key file ") + keyFile);
    const QSslKey key(keyPem.readAll(), QSsl::Rsa, QSsl::Pem);
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificateFile, QSsl::Pem);
    if (key.isNull() || chain.isEmpty())
        return fail(QStringLiteral("no usable certificate or RSA key"));
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone); // clients need no certificate
    server_.setSslConfiguration(configuration);
    if (!server_.listen(QHostAddress::LocalHost, port))
        return fail(server_.errorString());
    return true;
}

quint16 FakeCloudService::port() const
{
    return server_.serverPort();
}

QString FakeCloudService::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QJsonObject FakeCloudService::received() const
{
    return {{"asrSessions", asrSessions_}, {"chatRequests", chatRequests_}};
}

void FakeCloudService::clearReceived()
{
    asrSessions_ = {};
    chatRequests_ = {};
}

void FakeCloudService::accept()
{
    while (server_.hasPendingConnections()) {
        auto *socket = qobject_cast<QSslSocket *>(server_.nextPendingConnection());
        if (!socket)
            continue;
        socket->setParent(this);
        ++connectionsAccepted_;
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { readRequests(socket); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        readRequests(socket);
    }
}

void FakeCloudService::readRequests(QSslSocket *socket)
{
    // One request at a time per connection: the next is read once this one is answered.
    if (socket->property(busyProperty).toBool() || socket->property(upgradedProperty).toBool())
        return;
    // Peeked, not read: an upgrade hands the untouched request to QWebSocketServer.
    const QByteArray head = socket->peek(maxHeaderBytes);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0) {
        if (head.size() >= maxHeaderBytes)
            socket->abort();
        return;
    }
    Request request;
    const QList<QByteArray> lines = head.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3) {
        respond(socket, 400, "bad request line", Keep::close);
        return;
    }
    request.method = requestLine[0];
    request.target = requestLine[1];
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            // Only the line break and leading blanks go: "Bearer " with an empty key stays as sent.
            QByteArray value = lines[i].mid(colon + 1);
            value.chop(value.endsWith('\r') ? 1 : 0);
            while (value.startsWith(' '))
                value.remove(0, 1);
            request.headers.append({lines[i].left(colon).trimmed(), value});
        }
    }
    if (request.header("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0) {
        disconnect(socket, &QSslSocket::readyRead, this, nullptr);
        socket->setProperty(upgradedProperty, true);
        upgrade(socket, request);
        return;
    }
    const qsizetype length = request.header("Content-Length").toLongLong();
    if (length < 0 || length > maxBodyBytes) {
        respond(socket, 400, "bad length", Keep::close);
        return;
    }
    if (socket->bytesAvailable() < end + 4 + length)
        return;
    socket->read(end + 4);
    request.body = socket->read(length);
    socket->setProperty(busyProperty, true);
    // HTTP/1.1 keeps the connection for the next request unless the client asks otherwise.
    socket->setProperty(closeProperty, request.header("Connection").compare("close", Qt::CaseInsensitive) == 0);
    handle(socket, request);
}

void FakeCloudService::handle(QSslSocket *socket, const Request &request)
{
    const QByteArray path = request.target.split('?').first();
    if (request.method == "POST" && path == "/compatible-mode/v1/chat/completions")
        chat(socket, request);
    else if (path.startsWith("/_fake/"))
        control(socket, request);
    else
        respond(socket, 404, errorEnvelope("NotFound", "No such endpoint."));
}

void FakeCloudService::upgrade(QSslSocket *socket, const Request &request)
{
    const int index = static_cast<int>(asrSessions_.size());
    const bool accepted = keyAccepted(request);
    const QString path = QString::fromUtf8(request.target);
    asrSessions_.append(QJsonObject{{"target", path}, {"headers", recordHeaders(request)}, {"keyAccepted", accepted},
        {"messages", QJsonArray{}}, {"audioBytes", 0}});
    notifyRecorded();
    if (!path.startsWith(QLatin1String("/api-ws/v1/realtime"))) {
        socket->read(socket->bytesAvailable());
        respond(socket, 404, errorEnvelope("NotFound", "No such endpoint."), Keep::close);
        return;
    }
    if (!accepted) {
        socket->read(socket->bytesAvailable());
        respond(socket, 401,
            compact({{"code", "InvalidApiKey"}, {"message", "Invalid API-key provided."}, {"request_id", "fake"}}),
            Keep::close);
        return;
    }
    const int script = acceptedSessions_++;
    pendingUpgrades_.insert(socket->peerPort(), {index, script});
    const QPointer<QSslSocket> guarded(socket);
    disconnect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(scenario_.asrScript(script).handshakeDelayMs, this, [this, guarded] {
        if (guarded)
            webSockets_.handleConnection(guarded);
    });
}

void FakeCloudService::adoptWebSocket()
{
    while (QWebSocket *socket = webSockets_.nextPendingConnection()) {
        const auto [index, script] = pendingUpgrades_.take(socket->peerPort());
        const auto record = [this, index = index](QJsonObject log) {
            if (index >= asrSessions_.size())
                return; // cleared meanwhile
            QJsonObject entry = asrSessions_.at(index).toObject();
            for (auto it = log.constBegin(); it != log.constEnd(); ++it)
                entry.insert(it.key(), it.value());
            asrSessions_.replace(index, entry);
            notifyRecorded();
        };
        new FakeAsrSession(socket, scenario_.asrScript(script), QString::number(index), record, this);
    }
}

void FakeCloudService::chat(QSslSocket *socket, const Request &request)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parseError);
    const QJsonObject body = document.object();
    QJsonObject entry{{"headers", recordHeaders(request)}, {"keyAccepted", keyAccepted(request)},
        {"compact",
            parseError.error == QJsonParseError::NoError
                && QJsonDocument(body).toJson(QJsonDocument::Compact).size() == request.body.size()}};
    if (parseError.error == QJsonParseError::NoError)
        entry.insert("body", body);
    else
        entry.insert("rawBody", QString::fromUtf8(request.body));
    chatRequests_.append(entry);
    notifyRecorded();

    if (!keyAccepted(request)) {
        respond(socket, 401, errorEnvelope("invalid_api_key", "Incorrect API key provided. "));
        return;
    }
    const QString transcript = transcriptOf(body);
    const ChatRule &rule = scenario_.chatRule(transcript, systemPromptOf(body));
    const int status = rule.status;
    const QByteArray answer = chatAnswer(rule, body, transcript);
    const QPointer<QSslSocket> guarded(socket);
    QTimer::singleShot(rule.delayMs, this, [this, guarded, status, answer] {
        if (guarded)
            respond(guarded, status, answer);
    });
}

void FakeCloudService::control(QSslSocket *socket, const Request &request)
{
    const QByteArray path = request.target.split('?').first();
    if (path == "/_fake/received") {
        respond(socket, 200, compact(received()));
        return;
    }
    if (request.method == "POST" && path == "/_fake/reset") {
        clearReceived();
        respond(socket, 200, "{}");
        return;
    }
    if (request.method == "POST" && path == "/_fake/scenario") {
        QString error;
        const auto scenario = FakeScenario::fromJson(QJsonDocument::fromJson(request.body).object(), &error);
        if (!scenario) {
            respond(socket, 400, compact({{"error", error}}));
            return;
        }
        scenario_ = *scenario;
        acceptedSessions_ = 0;
        respond(socket, 200, "{}");
        return;
    }
    respond(socket, 404, errorEnvelope("NotFound", "No such endpoint."));
}

bool FakeCloudService::keyAccepted(const Request &request) const
{
    return !scenario_.apiKey || request.header("Authorization") == "Bearer " + scenario_.apiKey->toUtf8();
}

QJsonObject FakeCloudService::recordHeaders(const Request &request) const
{
    QJsonObject headers;
    for (const auto &[name, value] : request.headers) {
        const QString key = QString::fromLatin1(name).toLower();
        if (key == QLatin1String("authorization")) {
            // The key itself is never recorded: only whether one was there.
            const bool bearer = value.startsWith("Bearer ");
            headers.insert(key, bearer ? (value.size() > 7 ? "Bearer <redacted>" : "Bearer ") : "<redacted>");
            continue;
        }
        headers.insert(key, QString::fromLatin1(value));
    }
    return headers;
}

void FakeCloudService::notifyRecorded()
{
    if (onRecorded)
        onRecorded();
}

void FakeCloudService::respond(QSslSocket *socket, int status, const QByteArray &body, Keep keep)
{
    const bool close = keep == Keep::close || socket->property(closeProperty).toBool();
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    response += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size());
    response += close ? "\r\nConnection: close\r\n\r\n" : "\r\nConnection: keep-alive\r\n\r\n";
    socket->write(response + body);
    if (close) {
        socket->disconnectFromHost();
        return;
    }
    // As the real service does: the connection stays for the client's next request.
    socket->setProperty(busyProperty, false);
    if (socket->bytesAvailable() > 0)
        readRequests(socket);
}

void FakeCloudService::closeIdleConnections()
{
    for (QSslSocket *socket : findChildren<QSslSocket *>(Qt::FindDirectChildrenOnly)) {
        if (!socket->property(busyProperty).toBool() && !socket->property(upgradedProperty).toBool())
            socket->disconnectFromHost();
    }
}

} // namespace quillo::fake
