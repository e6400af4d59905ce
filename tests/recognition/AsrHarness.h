#pragma once

#include "platform/fake/FakeWebSocket.h"
#include "platform/fake/ManualScheduler.h"
#include "recognition/QwenRealtimeASR.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace quillo::testing {

inline RecognitionSession::Config defaultConfig()
{
    return {QStringLiteral("sk-test"), QStringLiteral("dashscope.aliyuncs.com"),
        QStringLiteral("qwen3-asr-flash-realtime"), QStringLiteral("zh")};
}

inline QString frame(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

inline QString created(const QString &id)
{
    return frame({{"type", "conversation.item.created"}, {"item", QJsonObject{{"id", id}}}});
}

inline QString delta(const QString &id, const QString &text, const QString &stash)
{
    return frame({{"type", "conversation.item.input_audio_transcription.text"}, {"item_id", id}, {"text", text},
        {"stash", stash}});
}

inline QString completed(const QString &id, const QString &transcript)
{
    return frame({{"type", "conversation.item.input_audio_transcription.completed"}, {"item_id", id},
        {"transcript", transcript}});
}

inline QString sessionFinished()
{
    return QStringLiteral(R"({"type":"session.finished"})");
}

inline QString errorEvent(const QString &message)
{
    return frame({{"type", "error"}, {"error", QJsonObject{{"type", "invalid_request_error"}, {"message", message}}}});
}

// One client over a scripted socket on a manual clock.
struct AsrHarness {
    explicit AsrHarness(RecognitionSession::Config config = defaultConfig())
    {
        asr = std::make_unique<QwenRealtimeASR>(std::move(config), scheduler, [this] {
            auto socket = std::make_unique<FakeWebSocket>(log);
            this->socket = socket.get();
            return socket;
        });
        asr->onPartial = [this](const QString &text) { partials.append(text); };
    }

    void deliver(const QString &text) { socket->deliverText(text); }

    void finish(double seconds = 10)
    {
        asr->finish(seconds, [this](RecognitionSession::FinishResult r) {
            ++completions;
            result.emplace(std::move(r));
        });
    }

    QJsonObject sentJson(qsizetype i) const { return QJsonDocument::fromJson(log->sent.at(i).toUtf8()).object(); }

    ManualScheduler scheduler;
    std::shared_ptr<FakeWebSocketLog> log = std::make_shared<FakeWebSocketLog>();
    FakeWebSocket *socket = nullptr;
    std::unique_ptr<QwenRealtimeASR> asr;
    QStringList partials;
    std::optional<RecognitionSession::FinishResult> result;
    int completions = 0;
};

} // namespace quillo::testing
