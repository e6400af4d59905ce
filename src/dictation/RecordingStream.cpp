#include "dictation/RecordingStream.h"

#include <QCoreApplication>

namespace quillo {

namespace {

// Runs work on the main thread, queued behind what was posted before it, if the
// stream still lives by then.
template <typename Work> void postToMain(std::weak_ptr<RecordingStream *> stream, Work work)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [stream = std::move(stream), work = std::move(work)] {
            if (const auto self = stream.lock())
                work(**self);
        },
        Qt::QueuedConnection);
}

} // namespace

RecordingStream::RecordingStream(Deps deps)
    : deps_(std::move(deps))
{
}

RecordingStream::~RecordingStream()
{
    drop();
}

void RecordingStream::open(const RecognitionSession::Config &config)
{
    drop();
    session_ = deps_.makeSession(config);
    if (!session_)
        return;
    const std::uint64_t number = ++sessionNumber_;
    // Partials count until the session is dropped or has answered, also while another
    // owner finishes it; one replaced meanwhile must not write into the next panel.
    session_->onPartial
        = [self = std::weak_ptr(self_), session = std::weak_ptr(session_), number](const QString &text) {
              const auto stream = self.lock();
              if (!stream || session.expired() || (*stream)->sessionNumber_ != number)
                  return;
              (*stream)->deps_.hud.setPartial(text);
              (*stream)->deps_.failedAudio.heard(text);
          };
    session_->connect();
}

void RecordingStream::beginCapture()
{
    gate_.reset();
    ++recording_;
    capturing_ = true;
}

Expected<Done, QString> RecordingStream::startMicrophone(std::function<void(const QString &)> onLost)
{
    beginCapture();
    onLost_ = std::move(onLost);
    const std::uint64_t recording = recording_;
    const std::weak_ptr<RecordingStream *> self = self_;
    // Both callbacks come on the audio thread.
    auto started = deps_.recorder.start(
        [self, recording](const QByteArray &pcm16, float level) {
            postToMain(self, [recording, pcm16, level](RecordingStream &s) { s.receive(recording, pcm16, level); });
        },
        [self, recording](const QString &description) {
            // Queued behind the chunks posted before it, so none of them is dropped.
            postToMain(self, [recording, description](RecordingStream &s) { s.lost(recording, description); });
        });
    if (!started)
        capturing_ = false;
    return started;
}

void RecordingStream::startFile(const QByteArray &pcm16, double speed, std::function<void()> onEnd)
{
    beginCapture();
    const std::uint64_t recording = recording_;
    const auto onChunk = [this, recording](const QByteArray &chunk) {
        // Stale once this recording ended, was cancelled or another one started.
        if (!isCurrent(recording))
            return false;
        feed(chunk, deps_.pcm16Level ? deps_.pcm16Level(chunk) : 0.0f);
        return true;
    };
    // The player belongs to the stream: its callbacks cannot outlive it.
    player_ = std::make_unique<PcmFilePlayer>(
        deps_.scheduler, pcm16, speed, onChunk, [this, recording, onEnd = std::move(onEnd)] {
            if (recording == recording_)
                onEnd();
        });
    player_->start();
}

void RecordingStream::startKept(const QString &path, std::function<void(bool readable)> onEnd)
{
    beginCapture();
    const std::uint64_t recording = recording_;
    deps_.failedAudio.whenWritten(QCoreApplication::instance(),
        [self = std::weak_ptr(self_), recording, path, onEnd = std::move(onEnd)]() mutable {
            const auto stream = self.lock();
            if (!stream || !(*stream)->isCurrent(recording))
                return;
            (*stream)->feedKept(recording, path, std::move(onEnd));
        });
}

void RecordingStream::feedKept(std::uint64_t recording, const QString &path, std::function<void(bool)> onEnd)
{
    // The feed belongs to the stream: its callbacks cannot outlive it.
    feed_ = std::make_unique<KeptAudioFeed>(
        deps_.scheduler, path,
        [this](const QByteArray &chunk) {
            if (session_)
                session_->sendAudio(chunk);
        },
        [this, recording, onEnd = std::move(onEnd)](bool readable) {
            if (recording == recording_)
                onEnd(readable);
        });
    feed_->start();
}

void RecordingStream::stopCapture()
{
    capturing_ = false;
    deps_.recorder.stop();
    player_.reset();
    feed_.reset();
}

void RecordingStream::drop()
{
    if (auto session = std::exchange(session_, nullptr))
        session->cancel();
}

void RecordingStream::receive(std::uint64_t recording, const QByteArray &pcm16, float level)
{
    if (isCurrent(recording))
        feed(pcm16, level);
}

void RecordingStream::lost(std::uint64_t recording, const QString &description)
{
    if (isCurrent(recording) && onLost_)
        onLost_(description);
}

void RecordingStream::feed(const QByteArray &pcm16, float level)
{
    if (!session_)
        return;
    if (deps_.audioArrived)
        deps_.audioArrived();
    for (const QByteArray &chunk : gate_.process(pcm16, level)) {
        session_->sendAudio(chunk);
        deps_.failedAudio.append(chunk);
    }
    deps_.hud.pushLevel(level);
}

} // namespace quillo
