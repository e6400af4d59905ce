#include "audio/AudioRecorder.h"

#include "audio/AudioLevel.h"
#include "audio/PCM16Converter.h"

#include <mutex>

namespace quillo {

// The lock guards only the two fields; conversion, level and the callback run
// outside it, so the main thread never waits on audio work.
struct AudioRecorder::Shared {
    std::mutex lock;
    std::shared_ptr<PCM16Converter> converter;
    std::shared_ptr<const ChunkCallback> onChunk;

    void set(std::shared_ptr<PCM16Converter> c, std::shared_ptr<const ChunkCallback> cb)
    {
        const std::lock_guard guard(lock);
        converter = std::move(c);
        onChunk = std::move(cb);
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

Expected<Done, AudioRecorderError> AudioRecorder::start(ChunkCallback onChunk)
{
    const AudioInputFormat format = input_->inputFormat();
    if (!format.isUsable())
        return unexpected(AudioRecorderError::noInputDevice());
    std::shared_ptr<PCM16Converter> converter = PCM16Converter::create(format);
    if (!converter)
        return unexpected(AudioRecorderError::converterUnavailable());

    shared_->set(std::move(converter), std::make_shared<const ChunkCallback>(std::move(onChunk)));
    auto handler = [weak = std::weak_ptr<Shared>(shared_)](const AudioBufferView &buffer) {
        if (const auto shared = weak.lock())
            shared->handle(buffer);
    };
    auto started = input_->start(format, bufferFrames, std::move(handler));
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
