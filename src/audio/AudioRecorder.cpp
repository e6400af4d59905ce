#include "audio/AudioRecorder.h"

#include "audio/AudioLevel.h"
#include "audio/PCM16Converter.h"

#include <mutex>
#include <utility>

namespace quillo {

// The lock guards only the fields; conversion, level and the callbacks run
// outside it, so the main thread never waits on audio work.
struct AudioRecorder::Shared {
    std::mutex lock;
    std::shared_ptr<PCM16Converter> converter;
    std::shared_ptr<const ChunkCallback> onChunk;
    ErrorCallback onError;

    void set(std::shared_ptr<PCM16Converter> c, std::shared_ptr<const ChunkCallback> cb, ErrorCallback e = {})
    {
        const std::lock_guard guard(lock);
        converter = std::move(c);
        onChunk = std::move(cb);
        onError = std::move(e);
    }

    // Once per start: the capture is over, later buffers and errors are dropped.
    void fail(const QString &reason)
    {
        ErrorCallback e;
        {
            const std::lock_guard guard(lock);
            converter.reset();
            onChunk.reset();
            e = std::exchange(onError, nullptr);
        }
        if (e)
            e(AudioRecorderError::deviceLost(reason));
    }

    void handle(const AudioBufferView &buffer)
    {
        std::shared_ptr<PCM16Converter> c;
        std::shared_ptr<const ChunkCallback> cb;
        {
            const std::lock_guard guard(lock);
            c = converter;
            cb = onChunk;
        }
        if (!c || !cb || !*cb)
            return;
        const float level = bufferLevel(buffer);
        const QByteArray chunk = c->convert(buffer);
        if (chunk.isEmpty())
            return;
        (*cb)(chunk, level);
    }
};

AudioRecorder::AudioRecorder(std::unique_ptr<AudioInput> input)
    : input_(std::move(input))
    , shared_(std::make_shared<Shared>())
{
}

AudioRecorder::~AudioRecorder()
{
    stop();
}

void AudioRecorder::prepare()
{
    input_->prepare();
}

Expected<Done, AudioRecorderError> AudioRecorder::start(ChunkCallback onChunk, ErrorCallback onError)
{
    const AudioInputFormat format = input_->inputFormat();
    if (!format.isUsable())
        return unexpected(AudioRecorderError::noInputDevice());
    std::shared_ptr<PCM16Converter> converter = PCM16Converter::create(format);
    if (!converter)
        return unexpected(AudioRecorderError::converterUnavailable());

    shared_->set(std::move(converter), std::make_shared<const ChunkCallback>(std::move(onChunk)), std::move(onError));
    const std::weak_ptr<Shared> weak(shared_);
    auto handler = [weak](const AudioBufferView &buffer) {
        if (const auto shared = weak.lock())
            shared->handle(buffer);
    };
    auto lost = [weak](const QString &reason) {
        if (const auto shared = weak.lock())
            shared->fail(reason);
    };
    auto started = input_->start(format, bufferFrames, std::move(handler), std::move(lost));
    if (!started)
        return unexpected(AudioRecorderError::engineFailed(started.error()));
    return Done{};
}

void AudioRecorder::stop()
{
    input_->stop();
    shared_->set(nullptr, nullptr);
}

} // namespace quillo
