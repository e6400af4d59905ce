#pragma once

#include "platform/Scheduler.h"
#include "platform/WebSocket.h"
#include "recognition/RealtimeProtocol.h"
#include "recognition/RecognitionSession.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillo {

// Client of the realtime recognition service for one dictation: streams audio over a
// WebSocket, assembles the transcript from the service's per-item events and maps
// every failure onto ASRError. Main thread only; never reused.
class QwenRealtimeASR final : public RecognitionSession {
public:
    static constexpr std::chrono::seconds handshakeTimeout{10};

    QwenRealtimeASR(Config config, Scheduler &scheduler, WebSocketFactory socketFactory);
    ~QwenRealtimeASR() override;
    QwenRealtimeASR(const QwenRealtimeASR &) = delete;
    QwenRealtimeASR &operator=(const QwenRealtimeASR &) = delete;

    void connect() override;
    void sendAudio(const QByteArray &pcm16Chunk) override;
    void finish(double timeoutSeconds, std::function<void(FinishResult)> done) override;
    void cancel() override;
    bool wasCutShort() const override { return cutShort_; }

    QString transcript() const;

    // Observers for tests and diagnostics.
    bool isFinished() const { return finished_; }
    bool isClosed() const { return closed_; }
    qint64 bytesSent() const { return bytesSent_; }
    const std::optional<ASRError> &failure() const { return failure_; }

    // A server frame as the socket delivers it.
    void handleTextFrame(const QString &frame);
    void handleBinaryFrame(const QByteArray &frame);

private:
    void send(const QString &message);
    void apply(const realtime::ServerEvent &event);
    void registerItem(const QString &id);
    void notifyPartial();
    void storeFailure(ASRError error);
    void markFinished();
    void handleTimeout();
    void handleFailure(const QString &message);
    void close();
    void complete(std::function<void(FinishResult)> done);

    Config config_;
    Scheduler &scheduler_;
    WebSocketFactory socketFactory_;
    std::unique_ptr<WebSocket> socket_;
    QStringList itemOrder_;
    QHash<QString, QString> finalTexts_;
    QHash<QString, QString> liveTexts_;
    std::optional<ASRError> failure_;
    bool finished_ = false;
    bool cutShort_ = false;
    std::vector<std::function<void(FinishResult)>> finishWaiters_;
    bool closed_ = false;
    qint64 bytesSent_ = 0;
    ScheduledWork finishTimer_;
    std::vector<ScheduledWork> deferred_;
    // Callbacks to the owner may destroy this client; work continues only while it lives.
    std::shared_ptr<QwenRealtimeASR *> alive_;
};

// Makes real sessions over sockets from socketFactory; the scheduler must outlive them.
RecognitionSessionFactory makeQwenRealtimeSessionFactory(Scheduler &scheduler, WebSocketFactory socketFactory);

} // namespace quillo
