#include "recognition/QwenRealtimeASR.h"

#include "recognition/Segments.h"

#include <algorithm>

namespace quillo {

namespace {

constexpr int normalClosure = 1000;
// Bounds what a caller can ask for; a timer cannot hold more.
constexpr double longestFinishWaitSeconds = 24 * 60 * 60;

Scheduler::Duration finishWait(double seconds)
{
    const double bounded = seconds > 0 ? std::min(seconds, longestFinishWaitSeconds) : 0.0;
    return std::chrono::duration_cast<Scheduler::Duration>(std::chrono::duration<double>(bounded));
}

} // namespace

QwenRealtimeASR::QwenRealtimeASR(Config config, Scheduler &scheduler, WebSocketFactory socketFactory)
    : config_(std::move(config))
    , scheduler_(scheduler)
    , socketFactory_(std::move(socketFactory))
    , alive_(std::make_shared<QwenRealtimeASR *>(this))
{
}

QwenRealtimeASR::~QwenRealtimeASR()
{
    alive_.reset();
    if (socket_) {
        socket_->onTextFrame = nullptr;
        socket_->onBinaryFrame = nullptr;
        socket_->onFailure = nullptr;
    }
}

void QwenRealtimeASR::connect()
{
    if (socket_ || closed_ || failure_)
        return;
    const std::optional<QUrl> url = realtime::sessionUrl(config_.host, config_.model);
    if (!url) {
        storeFailure(ASRError::connection(QStringLiteral("无效的域名 ") + config_.host));
        return;
    }
    socket_ = socketFactory_ ? socketFactory_() : nullptr;
    if (!socket_) {
        storeFailure(ASRError::connection(QStringLiteral("无法创建网络连接")));
        return;
    }
    socket_->onTextFrame = [this](const QString &frame) { handleTextFrame(frame); };
    socket_->onBinaryFrame = [this](const QByteArray &frame) { handleBinaryFrame(frame); };
    socket_->onFailure = [this](const QString &message) { handleFailure(message); };
    const WebSocket::Headers headers{
        {"Authorization", "Bearer " + config_.apiKey.toUtf8()}, {"OpenAI-Beta", "realtime=v1"}};
    socket_->open(*url, headers, handshakeTimeout);
    send(realtime::sessionUpdateMessage(config_.language));
}

void QwenRealtimeASR::sendAudio(const QByteArray &pcm16Chunk)
{
    if (closed_ || failure_)
        return;
    bytesSent_ += pcm16Chunk.size();
    send(realtime::appendMessage(pcm16Chunk));
}

void QwenRealtimeASR::finish(double timeoutSeconds, std::function<void(FinishResult)> done)
{
    const std::weak_ptr<QwenRealtimeASR *> guard = alive_;
    if (failure_) {
        close();
        // Delivered from the event loop, so a caller never sees its completion inside finish().
        deferred_.push_back(
            scheduler_.after({}, [this, done = std::move(done)]() mutable { complete(std::move(done)); }));
        return;
    }
    if (bytesSent_ > 0)
        send(realtime::trailingSilenceMessage());
    send(realtime::finishMessage());
    if (guard.expired())
        return;
    if (!finishTimer_.isSet())
        finishTimer_ = scheduler_.after(finishWait(timeoutSeconds), [this] { handleTimeout(); });
    if (finished_) {
        deferred_.push_back(
            scheduler_.after({}, [this, done = std::move(done)]() mutable { complete(std::move(done)); }));
        return;
    }
    finishWaiters_.push_back(std::move(done));
}

void QwenRealtimeASR::cancel()
{
    const std::weak_ptr<QwenRealtimeASR *> guard = alive_;
    storeFailure(ASRError::cancelled());
    markFinished();
    if (guard.expired())
        return;
    close();
}

QString QwenRealtimeASR::transcript() const
{
    QStringList segments;
    for (const QString &id : itemOrder_) {
        const auto final = finalTexts_.constFind(id);
        if (final != finalTexts_.constEnd()) {
            segments.append(*final);
            continue;
        }
        const auto live = liveTexts_.constFind(id);
        if (live != liveTexts_.constEnd())
            segments.append(*live);
    }
    segments.removeIf([](const QString &segment) { return isFillerSegment(segment); });
    return joinSegments(segments);
}

void QwenRealtimeASR::handleTextFrame(const QString &frame)
{
    if (closed_)
        return;
    apply(realtime::parseServerEvent(frame));
}

void QwenRealtimeASR::handleBinaryFrame(const QByteArray &frame)
{
    // fromUtf8 replaces invalid sequences with U+FFFD.
    handleTextFrame(QString::fromUtf8(frame));
}

void QwenRealtimeASR::send(const QString &message)
{
    if (!socket_ || closed_)
        return;
    const std::weak_ptr<QwenRealtimeASR *> guard = alive_;
    socket_->sendText(message, [this, guard](const std::optional<QString> &error) {
        if (error && !guard.expired())
            handleFailure(*error);
    });
}

void QwenRealtimeASR::apply(const realtime::ServerEvent &event)
{
    using Kind = realtime::ServerEvent::Kind;
    switch (event.kind) {
    case Kind::ignored:
        return;
    case Kind::itemSeen:
        registerItem(event.itemId);
        return;
    case Kind::liveText:
        registerItem(event.itemId);
        liveTexts_.insert(event.itemId, event.text);
        notifyPartial();
        return;
    case Kind::completed:
        registerItem(event.itemId);
        finalTexts_.insert(event.itemId, event.text);
        notifyPartial();
        return;
    case Kind::sessionFinished:
        markFinished();
        return;
    case Kind::error:
        storeFailure(ASRError::server(event.text));
        markFinished();
        return;
    }
}

void QwenRealtimeASR::registerItem(const QString &id)
{
    if (!itemOrder_.contains(id))
        itemOrder_.append(id);
}

void QwenRealtimeASR::notifyPartial()
{
    if (onPartial)
        onPartial(transcript());
}

void QwenRealtimeASR::storeFailure(ASRError error)
{
    if (!failure_)
        failure_ = std::move(error);
}

void QwenRealtimeASR::markFinished()
{
    if (finished_)
        return;
    finished_ = true;
    auto waiters = std::exchange(finishWaiters_, {});
    const std::weak_ptr<QwenRealtimeASR *> guard = alive_;
    for (auto &waiter : waiters) {
        if (guard.expired())
            return;
        complete(std::move(waiter));
    }
}

void QwenRealtimeASR::handleTimeout()
{
    if (finished_)
        return;
    const bool heardNothing = itemOrder_.isEmpty() || bytesSent_ == 0;
    if (!heardNothing && finalTexts_.isEmpty() && liveTexts_.isEmpty())
        storeFailure(ASRError::timeout());
    cutShort_ = !heardNothing;
    markFinished();
}

void QwenRealtimeASR::handleFailure(const QString &message)
{
    if (closed_ || finished_)
        return;
    storeFailure(ASRError::connection(message));
    markFinished();
}

void QwenRealtimeASR::close()
{
    if (closed_)
        return;
    closed_ = true;
    // The socket object stays until the client goes: it may be the one calling us now.
    if (socket_)
        socket_->close(normalClosure);
}

void QwenRealtimeASR::complete(std::function<void(FinishResult)> done)
{
    finishTimer_.cancel();
    close();
    if (!done)
        return;
    if (failure_)
        done(unexpected(*failure_));
    else
        done(transcript());
}

RecognitionSessionFactory makeQwenRealtimeSessionFactory(Scheduler &scheduler, WebSocketFactory socketFactory)
{
    return [&scheduler, socketFactory = std::move(socketFactory)](const RecognitionSession::Config &config) {
        return std::make_unique<QwenRealtimeASR>(config, scheduler, socketFactory);
    };
}

} // namespace quillo
