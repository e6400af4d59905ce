#include "refinement/ChatClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace quillo {

namespace chat {

std::optional<QUrl> completionsUrl(const QString &host)
{
    static constexpr QLatin1StringView path("/compatible-mode/v1/chat/completions");
    // Anything that would change the URL's structure is not a host.
    if (host.isEmpty() || host.trimmed() != host || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char('?'))
        || host.contains(QLatin1Char('#')) || host.contains(QLatin1Char('@')) || host.contains(QLatin1Char('\\')))
        return std::nullopt;
    QUrl url(QStringLiteral("https://") + host + path, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.path() != path)
        return std::nullopt;
    return url;
}

QByteArray requestBody(const ChatRequest &request)
{
    QJsonArray messages;
    for (const ChatMessage &message : request.messages)
        messages.append(
            QJsonObject{{QStringLiteral("role"), message.role}, {QStringLiteral("content"), message.content}});
    const QJsonObject body{{QStringLiteral("model"), request.model}, {QStringLiteral("messages"), messages},
        {QStringLiteral("temperature"), request.temperature}, {QStringLiteral("enable_thinking"), false}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

ChatResult parseResponse(int status, const QByteArray &body)
{
    if (status != 200)
        return unexpected(PolishError::http(status, QString::fromUtf8(body)));
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return unexpected(PolishError::invalidJson(parseError.errorString()));
    const QJsonValue choices = document.object().value(QStringLiteral("choices"));
    if (!choices.isArray() || choices.toArray().isEmpty())
        return unexpected(PolishError::emptyResponse());
    const QJsonArray list = choices.toArray();
    for (const QJsonValue &choice : list) {
        if (!choice.isObject())
            return unexpected(PolishError::emptyResponse());
    }
    const QJsonValue message = list.first().toObject().value(QStringLiteral("message"));
    const QJsonValue content = message.toObject().value(QStringLiteral("content"));
    if (!message.isObject() || !content.isString())
        return unexpected(PolishError::emptyResponse());
    return content.toString();
}

} // namespace chat

void completeChat(HttpClient &http, const ChatRequest &request, ChatCompletion done)
{
    const std::optional<QUrl> url = chat::completionsUrl(request.host);
    if (!url) {
        done(unexpected(PolishError::http(0, QStringLiteral("无效的域名"))));
        return;
    }
    // JSON has no NaN or infinity: such a request cannot be written.
    if (!std::isfinite(request.temperature)) {
        done(unexpected(PolishError::invalidJson(QStringLiteral("temperature is not a finite number"))));
        return;
    }
    HttpRequest post;
    post.url = *url;
    post.headers = {{"Authorization", "Bearer " + request.apiKey.toUtf8()}, {"Content-Type", "application/json"}};
    post.body = chat::requestBody(request);
    post.timeout = chat::requestTimeout;
    http.post(post, [done = std::move(done)](HttpResult result) {
        if (!result) {
            done(unexpected(PolishError::transport(result.error().message)));
            return;
        }
        done(chat::parseResponse(result->status, result->body));
    });
}

ChatFunction makeChatFunction(HttpClient &http)
{
    return [&http](const ChatRequest &request, ChatCompletion done) { completeChat(http, request, std::move(done)); };
}

} // namespace quillo
