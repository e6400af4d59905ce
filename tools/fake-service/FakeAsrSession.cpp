#include "FakeAsrSession.h"

#include <QJsonDocument>
#include <QTimer>

namespace quillo::fake {

namespace {

bool isSilence(const QByteArray &pcm)
{
    return std::all_of(pcm.begin(), pcm.end(), [](char c) { return c == 0; });
}

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

FakeAsrSession::FakeAsrSession(
    QWebSocket *socket, AsrScript script, QString sessionId, std::function<void(QJsonObject)> record, QObject *parent)
    : QObject(parent)
    , socket_(socket)
    , script_(std::move(script))
    , sessionId_(std::move(sessionId))
    , record_(std::move(record))
{
    socket->setParent(this);
    connect(socket, &QWebSocket::textMessageReceived, this, &FakeAsrSession::handleText);
    connect(socket, &QWebSocket::binaryMessageReceived, this, [this](const QByteArray &data) {
        messages_.append(QJsonObject{{"binaryBytes", data.size()}});
        save();
    });
    connect(socket, &QWebSocket::disconnected, this, [this] {
        log_.insert("closeCode", static_cast<int>(socket_->closeCode()));
        save();
        deleteLater();
    });
    sendEvent({{"type", "session.created"},
        {"session",
            QJsonObject{{"id", "sess_" + sessionId_}, {"object", "realtime.session"}, {"input_audio_format", "pcm16"},
                {"modalities", QJsonArray{"text"}}}}});
}

void FakeAsrSession::handleText(const QString &text)
{
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    QJsonObject entry;
    entry.insert("compact", QJsonDocument(message).toJson(QJsonDocument::Compact).size() == text.toUtf8().size());
    const QString type = message.value("type").toString();
    if (type == QLatin1String("input_audio_buffer.append")) {
        handleAppend(message, entry);
    } else {
        entry.insert("message", message);
        messages_.append(entry);
        save();
    }
    if (type == QLatin1String("session.update"))
        sendEvent({{"type", "session.updated"}, {"session", message.value("session")}});
    else if (type == QLatin1String("session.finish"))
        handleFinish();
}

void FakeAsrSession::handleAppend(const QJsonObject &message, QJsonObject &entry)
{
    const QString base64 = message.value("audio").toString();
    const auto decoded = QByteArray::fromBase64Encoding(base64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    // Standard alphabet with padding: encoding the bytes again gives the same text.
    const bool strict = decoded && decoded.decoded.toBase64() == base64.toLatin1();
    entry.insert("message",
        QJsonObject{{"type", "input_audio_buffer.append"}, {"audioBytes", decoded.decoded.size()}, {"base64Ok", strict},
            {"silent", isSilence(decoded.decoded)}});
    messages_.append(entry);
    audioBytes_ += decoded.decoded.size();
    audioHash_.addData(decoded.decoded);
    save();
    if (!isSilence(decoded.decoded))
        speech(decoded.decoded.size());
}

void FakeAsrSession::speech(qint64 bytes)
{
    speechBytes_ += bytes;
    if (script_.closeAfterBytes && speechBytes_ >= *script_.closeAfterBytes) {
        socket_->abort();
        return;
    }
    while (bytes > 0 && item_ < script_.items.size() && socket_) {
        if (!itemOpen_)
            startItem();
        const qint64 take = std::min<qint64>(bytes, script_.bytesPerItem - itemBytes_);
        itemBytes_ += take;
        sinceLastPartial_ += take;
        bytes -= take;
        if (sinceLastPartial_ >= script_.partialBytes && itemBytes_ < script_.bytesPerItem) {
            sinceLastPartial_ = 0;
            sendPartial();
        }
        if (itemBytes_ >= script_.bytesPerItem)
            endItem();
    }
    if (script_.errorAfterBytes && !errorSent_ && speechBytes_ >= *script_.errorAfterBytes) {
        errorSent_ = true;
        sendEvent({{"type", "error"},
            {"error",
                QJsonObject{{"type", "invalid_request_error"}, {"code", "invalid_value"},
                    {"message", script_.errorMessage}, {"param", QJsonValue::Null}}}});
    }
}

void FakeAsrSession::startItem()
{
    itemOpen_ = true;
    itemBytes_ = 0;
    sinceLastPartial_ = 0;
    sendEvent(
        {{"type", "input_audio_buffer.speech_started"}, {"audio_start_ms", speechBytes_ / 32}, {"item_id", itemId()}});
    sendEvent({{"type", "conversation.item.created"}, {"previous_item_id", QJsonValue::Null},
        {"item", QJsonObject{{"id", itemId()}, {"object", "realtime.item"}, {"type", "message"}, {"role", "user"}}}});
}

void FakeAsrSession::sendPartial()
{
    // Two thirds of what is heard so far is confirmed text, the rest is stash.
    const QString &full = script_.items[item_].transcript;
    const qsizetype heard = full.size() * itemBytes_ / script_.bytesPerItem;
    const qsizetype confirmed = heard * 2 / 3;
    sendEvent({{"type", "conversation.item.input_audio_transcription.text"}, {"item_id", itemId()},
        {"content_index", 0}, {"language", "zh"}, {"emotion", "neutral"}, {"text", full.left(confirmed)},
        {"stash", full.mid(confirmed, heard - confirmed)}});
}

void FakeAsrSession::endItem()
{
    const FakeItem &item = script_.items[item_];
    sendEvent({{"type", "input_audio_buffer.speech_stopped"}, {"item_id", itemId()}});
    sendEvent({{"type", "input_audio_buffer.committed"}, {"item_id", itemId()}});
    if (item.fail) {
        sendEvent({{"type", "conversation.item.input_audio_transcription.failed"}, {"item_id", itemId()},
            {"error", QJsonObject{{"code", "asr_failed"}, {"message", "Transcription failed."}}}});
    } else {
        sendEvent({{"type", "conversation.item.input_audio_transcription.completed"}, {"item_id", itemId()},
            {"content_index", 0}, {"language", "zh"}, {"emotion", "neutral"}, {"transcript", item.transcript}});
    }
    itemOpen_ = false;
    ++item_;
}

void FakeAsrSession::handleFinish()
{
    if (finishing_)
        return;
    finishing_ = true;
    log_.insert("audioSha256", QString::fromLatin1(audioHash_.result().toHex()));
    save();
    using OnFinish = AsrScript::OnFinish;
    if (script_.onFinish == OnFinish::ignore)
        return;
    QTimer::singleShot(script_.finishDelayMs, this, [this] {
        if (!socket_)
            return;
        if (script_.onFinish == OnFinish::close) {
            socket_->abort();
            return;
        }
        if (script_.onFinish == OnFinish::error) {
            sendEvent({{"type", "error"},
                {"error", QJsonObject{{"type", "server_error"}, {"message", script_.errorMessage}}}});
            return;
        }
        // The rest of what was heard is recognised at once; a session without speech has no items.
        while (speechBytes_ > 0 && item_ < script_.items.size() && socket_) {
            if (!itemOpen_)
                startItem();
            itemBytes_ = script_.bytesPerItem;
            endItem();
        }
        sendEvent({{"type", "session.finished"}});
    });
}

void FakeAsrSession::sendEvent(QJsonObject event)
{
    if (!socket_)
        return;
    if (script_.garbage)
        sendGarbage();
    event.insert("event_id", QStringLiteral("event_%1_%2").arg(sessionId_).arg(++eventCounter_));
    const QString text = compact(event);
    if (script_.binaryFrames)
        socket_->sendBinaryMessage(text.toUtf8());
    else
        socket_->sendTextMessage(text);
}

void FakeAsrSession::sendGarbage()
{
    switch (garbageCounter_++ % 6) {
    case 0:
        socket_->sendTextMessage(QStringLiteral("not json {"));
        break;
    case 1:
        socket_->sendBinaryMessage(QByteArray("\xff\xfe\x00garbage", 10));
        break;
    case 2:
        socket_->sendTextMessage(QStringLiteral(R"([{"type":"session.finished"}])"));
        break;
    case 3:
        socket_->sendTextMessage(QStringLiteral(R"({"type":5,"item_id":"x"})"));
        break;
    case 4:
        socket_->sendTextMessage(QStringLiteral(R"({"type":"response.unknown","item_id":"junk"})"));
        break;
    default:
        socket_->sendTextMessage(
            QStringLiteral(R"({"type":"conversation.item.input_audio_transcription.completed","item_id":42})"));
        break;
    }
}

void FakeAsrSession::save()
{
    log_.insert("messages", messages_);
    log_.insert("audioBytes", audioBytes_);
    log_.insert("speechBytes", speechBytes_);
    if (record_)
        record_(log_);
}

} // namespace quillo::fake
