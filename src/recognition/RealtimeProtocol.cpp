#include "recognition/RealtimeProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quillo::realtime {

std::optional<QUrl> sessionUrl(const QString &host, const QString &model)
{
    const QString trimmed = host.trimmed();
    // Anything that would change the URL's structure is not a host.
    if (trimmed.isEmpty() || trimmed != host || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char('?'))
        || host.contains(QLatin1Char('#')) || host.contains(QLatin1Char('@')) || host.contains(QLatin1Char('\\')))
        return std::nullopt;
    const QString text = QStringLiteral("wss://") + host + QLatin1String(path) + QStringLiteral("?model=")
        + QString::fromLatin1(QUrl::toPercentEncoding(model));
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.path() != QLatin1String(path))
        return std::nullopt;
    return url;
}

namespace {

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

QString sessionUpdateMessage(const QString &language)
{
    QJsonObject transcription;
    if (!language.isEmpty() && language != QLatin1String("auto"))
        transcription.insert(QStringLiteral("language"), language);
    const QJsonObject turnDetection{{QStringLiteral("type"), QStringLiteral("server_vad")},
        {QStringLiteral("threshold"), 0.0}, {QStringLiteral("silence_duration_ms"), 800}};
    const QJsonObject session{{QStringLiteral("modalities"), QJsonArray{QStringLiteral("text")}},
        {QStringLiteral("input_audio_format"), QStringLiteral("pcm")}, {QStringLiteral("sample_rate"), 16000},
        {QStringLiteral("input_audio_transcription"), transcription},
        {QStringLiteral("turn_detection"), turnDetection}};
    return compact({{QStringLiteral("type"), QStringLiteral("session.update")}, {QStringLiteral("session"), session}});
}

QString appendMessage(const QByteArray &pcm)
{
    // Built by hand: base64 needs no escaping, and this runs for every chunk.
    static constexpr QLatin1StringView head(R"({"type":"input_audio_buffer.append","audio":")");
    const QByteArray audio = pcm.toBase64();
    QString message;
    message.reserve(head.size() + audio.size() + 2);
    message.append(head).append(QLatin1StringView(audio)).append(QLatin1StringView("\"}"));
    return message;
}

const QString &trailingSilenceMessage()
{
    static const QString message = appendMessage(QByteArray(trailingSilenceBytes, '\0'));
    return message;
}

QString finishMessage()
{
    return compact({{QStringLiteral("type"), QStringLiteral("session.finish")}});
}

namespace {

QString textMember(const QJsonObject &object, const QString &name)
{
    const QJsonValue value = object.value(name);
    return value.isString() ? value.toString() : QString();
}

std::optional<QString> itemIdOf(const QJsonObject &event, bool lookInsideItem)
{
    const QJsonValue id = event.value(QStringLiteral("item_id"));
    if (id.isString())
        return id.toString();
    if (!lookInsideItem)
        return std::nullopt;
    const QJsonValue nested = event.value(QStringLiteral("item")).toObject().value(QStringLiteral("id"));
    if (nested.isString())
        return nested.toString();
    return std::nullopt;
}

ServerEvent withItem(ServerEvent::Kind kind, const std::optional<QString> &id, QString text = {})
{
    if (!id)
        return {};
    return {kind, *id, std::move(text)};
}

QString errorMessage(const QJsonObject &event, const QString &frame)
{
    const QJsonValue error = event.value(QStringLiteral("error"));
    const QJsonValue message = error.toObject().value(QStringLiteral("message"));
    if (error.isObject() && message.isString())
        return message.toString();
    return frame;
}

} // namespace

ServerEvent parseServerEvent(const QString &frame)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(frame.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return {};
    const QJsonObject event = document.object();
    const QJsonValue type = event.value(QStringLiteral("type"));
    if (!type.isString())
        return {};
    const QString name = type.toString();
    using Kind = ServerEvent::Kind;
    if (name == QLatin1String("input_audio_buffer.speech_started")
        || name == QLatin1String("conversation.item.created"))
        return withItem(Kind::itemSeen, itemIdOf(event, true));
    if (name == QLatin1String("conversation.item.input_audio_transcription.text"))
        return withItem(Kind::liveText, itemIdOf(event, false),
            textMember(event, QStringLiteral("text")) + textMember(event, QStringLiteral("stash")));
    if (name == QLatin1String("conversation.item.input_audio_transcription.completed"))
        return withItem(Kind::completed, itemIdOf(event, false), textMember(event, QStringLiteral("transcript")));
    if (name == QLatin1String("session.finished"))
        return {Kind::sessionFinished, {}, {}};
    if (name == QLatin1String("error"))
        return {Kind::error, {}, errorMessage(event, frame)};
    return {};
}

} // namespace quillo::realtime
