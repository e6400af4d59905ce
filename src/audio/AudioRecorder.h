#pragma once

#include "audio/AudioRecorderError.h"
#include "common/Expected.h"
#include "platform/AudioInput.h"

#include <QByteArray>

#include <functional>
#include <memory>

namespace quillo {

// Captures the microphone and hands every converted chunk with its level to one
// callback. start and stop run on the main thread; the callback runs on the audio
// thread, and its owner re-posts each (chunk, level) to the main thread.
class AudioRecorder {
public:
    using ChunkCallback = std::function<void(const QByteArray &chunk, float level)>;
    // Capture ended on its own (deviceLost); on the audio thread, at most once per start.
    using ErrorCallback = std::function<void(const AudioRecorderError &error)>;

    // Capture buffers requested from the device (a hint; the device decides).
    static constexpr std::size_t bufferFrames = 1600;

    explicit AudioRecorder(std::unique_ptr<AudioInput> input);
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder &) = delete;
    AudioRecorder &operator=(const AudioRecorder &) = delete;

    // A start is coming (the key was pressed): the device may begin opening now,
    // off the calling thread, while the caller does its own part of the start.
    void prepare();
    // Starts (or restarts) capture with a fresh converter. Fails with
    // noInputDevice, converterUnavailable or engineFailed (the platform's text).
    // onError hears of a capture that ends before stop().
    Expected<Done, AudioRecorderError> start(ChunkCallback onChunk, ErrorCallback onError = {});
    // Safe when never started; never waits for a callback that is running.
    void stop();

private:
    struct Shared;

    std::unique_ptr<AudioInput> input_;
    // Shared with the audio thread's handler, which holds it only weakly.
    std::shared_ptr<Shared> shared_;
};

} // namespace quillo
