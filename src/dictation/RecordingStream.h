#pragma once

#include "audio/SpeechGate.h"
#include "common/Expected.h"
#include "dictation/DictationPorts.h"
#include "dictation/FailedAudioPolicy.h"
#include "dictation/HUDModel.h"
#include "dictation/KeptAudioFeed.h"
#include "dictation/PcmFilePlayer.h"
#include "platform/Scheduler.h"
#include "recognition/RecognitionSession.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace quillo {

// One recording's audio on its way to the recognition service, from the microphone or
// from a file: the session it streams to, the speech gate in front of it, the levels and
// partial text for the panel, and the audio written down in case recognition fails. Audio of
// an earlier recording, or audio still on its way when capture stopped, is dropped.
// Main thread only; the recorder's callbacks hop to it.
class RecordingStream {
public:
    struct Deps {
        RecognitionSessionFactory makeSession;
        DictationRecorder &recorder;
        Scheduler &scheduler;
        // The level of a chunk of recorded PCM16, for a file played as if spoken.
        std::function<float(const QByteArray &pcm16)> pcm16Level;
        FailedAudioPolicy &failedAudio;
        HUDModel &hud;
        // Audio from the source reached the stream (before the gate).
        std::function<void()> audioArrived = {};
    };

    explicit RecordingStream(Deps deps);
    ~RecordingStream();
    RecordingStream(const RecordingStream &) = delete;
    RecordingStream &operator=(const RecordingStream &) = delete;

    // Opens and connects a session; one still open is cancelled first.
    void open(const RecognitionSession::Config &config);
    bool hasSession() const { return session_ != nullptr; }

    // Streams the microphone through the gate. onLost runs once should capture end on
    // its own; a failure to start carries the description the user sees.
    Expected<Done, QString> startMicrophone(std::function<void(const QString &description)> onLost);
    // Streams PCM16 through the gate at speed times speaking pace; onEnd after its last chunk.
    void startFile(const QByteArray &pcm16, double speed, std::function<void()> onEnd);
    // Streams a kept recording, which passed the gate once before, as it is, once
    // what is still on its way to the disk is there; onEnd after its last chunk.
    void startKept(const QString &path, std::function<void(bool readable)> onEnd);

    bool heardSpeech() const { return gate_.isOpen(); }
    // Ends capture; the session stays open.
    void stopCapture();
    // Hands the session over to whoever finishes it.
    std::shared_ptr<RecognitionSession> takeSession() { return std::exchange(session_, nullptr); }
    // Cancels the session.
    void drop();

private:
    void beginCapture();
    bool isCurrent(std::uint64_t recording) const { return capturing_ && recording == recording_; }
    void receive(std::uint64_t recording, const QByteArray &pcm16, float level);
    void lost(std::uint64_t recording, const QString &description);
    void feed(const QByteArray &pcm16, float level);
    void feedKept(std::uint64_t recording, const QString &path, std::function<void(bool)> onEnd);

    Deps deps_;
    std::shared_ptr<RecognitionSession> session_;
    SpeechGate gate_;
    std::unique_ptr<PcmFilePlayer> player_;
    std::unique_ptr<KeptAudioFeed> feed_;
    std::function<void(const QString &)> onLost_;
    bool capturing_ = false;
    // Each recording and session gets a number; audio or partial text that carries an
    // old one finds it stale.
    std::uint64_t recording_ = 0;
    std::uint64_t sessionNumber_ = 0;
    // Held weakly by what the audio thread posts: gone with the stream.
    std::shared_ptr<RecordingStream *> self_ = std::make_shared<RecordingStream *>(this);
};

} // namespace quillo
