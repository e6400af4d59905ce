#pragma once

#include "common/Expected.h"
#include "recognition/ASRError.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace quillo {

// One dictation's realtime recognition, as the dictation controller drives it:
// connect, sendAudio for every released chunk, then finish or cancel.
class RecognitionSession {
public:
    struct Config {
        QString apiKey;
        QString host; // normalised host
        QString model; // e.g. "qwen3-asr-flash-realtime"
        QString language; // "zh", "en", "yue", "auto" or empty
    };
    using FinishResult = Expected<QString, ASRError>;

    virtual ~RecognitionSession() = default;

    // Growing partial transcript; set by the owner before connect().
    std::function<void(const QString &)> onPartial;

    // Never fails synchronously; a failure is stored and reported by finish().
    virtual void connect() = 0;
    virtual void sendAudio(const QByteArray &pcm16Chunk) = 0;
    // Completes once, on the main thread, with the transcript or the first failure.
    virtual void finish(double timeoutSeconds, std::function<void(FinishResult)> done) = 0;
    virtual void cancel() = 0;
    // Whether finish gave up waiting and answered with the text recognised so far.
    virtual bool wasCutShort() const { return false; }
};

using RecognitionSessionFactory
    = std::function<std::unique_ptr<RecognitionSession>(const RecognitionSession::Config &)>;

} // namespace quillo
