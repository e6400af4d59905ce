#pragma once

#include "common/Expected.h"
#include "platform/AudioInput.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

namespace quillo {

// One connection to a PulseAudio server (PipeWire's pulse server too) with its own
// event thread, which is the audio thread: buffers and errors are handed over
// there. Every wait for the server is bounded by the time-out given to open().
// Destroying it waits for that thread, so owners do that off the main thread.
class PulseConnection {
public:
    struct Source {
        QByteArray name;
        AudioInputFormat format;
        QString description; // the server's name for people, e.g. "Built-in Audio Analog Stereo"
    };

    static Expected<std::unique_ptr<PulseConnection>, QString> open(std::chrono::milliseconds timeout);
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // The server's default source, or the first whose name or description contains
    // match (case-insensitive).
    Expected<Source, QString> findSource(const QString &match);
    // Records from source until the stream or the server ends; buffers of about
    // framesHint frames. The stream is never moved to another device: a removed
    // microphone ends the recording instead of silently recording something else.
    Expected<Done, QString> record(const Source &source, std::size_t framesHint, AudioInput::BufferHandler handler,
        AudioInput::ErrorHandler onError);
    // Delivers nothing more from now on; never waits for the event thread.
    void detach();
    bool isReady() const;

private:
    struct Sink;
    class Lock;

    explicit PulseConnection(std::chrono::milliseconds timeout);

    Expected<Done, QString> connect();
    // With the lock held: waits until done() holds or the time-out passes.
    template <typename Predicate> bool waitUntil(Predicate done);
    // With the lock held: waits for op to end, cancelling it on time-out.
    bool finish(pa_operation *op);
    QString lastError() const;

    void onContextState();
    void onStreamState();
    void onReadable();
    void deliver(const std::shared_ptr<Sink> &sink);
    void fail(const QString &reason);
    std::shared_ptr<Sink> currentSink() const;

    std::chrono::milliseconds timeout_;
    pa_threaded_mainloop *mainloop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    bool timedOut_ = false;
    bool recording_ = false; // the stream was ready: its end is reported

    // Everything below is touched on the event thread only, except sink_ (under sinkLock_).
    mutable std::mutex sinkLock_;
    std::shared_ptr<Sink> sink_;
    AudioInputFormat format_;
    std::size_t framesHint_ = 1600;
    QByteArray pending_; // a partial frame left by the last read
    std::vector<float> floats_;
};

} // namespace quillo
