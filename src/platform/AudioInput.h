#pragma once

#include "common/Expected.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <span>

namespace quillo {

// Sample rate and channel count of a capture device. Samples always reach the
// logic as 32-bit floats; a rate of 0 or no channels means "no usable device".
struct AudioInputFormat {
    int sampleRate = 0;
    int channelCount = 0;

    bool isUsable() const { return sampleRate > 0 && channelCount > 0; }
    friend bool operator==(const AudioInputFormat &, const AudioInputFormat &) = default;
};

// One delivered block of interleaved float samples (nominal range -1...1). Only
// valid during the call that hands it over.
struct AudioBufferView {
    std::span<const float> samples;
    AudioInputFormat format;

    std::size_t frameCount() const
    {
        return format.channelCount > 0 ? samples.size() / static_cast<std::size_t>(format.channelCount) : 0;
    }
};

// The microphone. Buffers are delivered on the platform's audio thread, never on
// the main thread; start and stop are called on the main thread.
class AudioInput {
public:
    using BufferHandler = std::function<void(const AudioBufferView &)>;
    // Capture ended on its own (device removed, sound server gone); the text is the
    // platform's own description. Called at most once per start, on the audio thread.
    using ErrorHandler = std::function<void(const QString &reason)>;

    virtual ~AudioInput() = default;

    // A recording is about to start (the user pressed the key): the adapter may begin
    // opening the device now, off the calling thread, for inputFormat() and start() to
    // use. Harmless when no start follows.
    virtual void prepare() { }
    // Native format of the device the next start() opens; unusable when there is none.
    virtual AudioInputFormat inputFormat() = 0;
    // Opens the device in `format` and delivers buffers of roughly framesHint
    // frames to handler until stop(), or until capture ends on its own, which is told
    // to onError. Replaces a capture already running. The error text is the
    // platform's own description.
    virtual Expected<Done, QString> start(
        AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError)
        = 0;
    // Ends delivery. Never waits for a handler that is running; one buffer already
    // in flight may still arrive. Harmless when not started.
    virtual void stop() = 0;
};

} // namespace quillo
