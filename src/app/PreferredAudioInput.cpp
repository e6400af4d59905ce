#include "app/PreferredAudioInput.h"

#include <utility>

namespace quillo {

PreferredAudioInput::PreferredAudioInput(std::unique_ptr<AudioInput> preferred, std::unique_ptr<AudioInput> fallback)
    : preferred_(std::move(preferred))
    , fallback_(std::move(fallback))
    , chosen_(preferred_.get())
{
}

// The fallback is asked only when the preferred adapter finds nothing.
void PreferredAudioInput::prepare()
{
    preferred_->prepare();
}

AudioInputFormat PreferredAudioInput::inputFormat()
{
    chosen_ = preferred_.get();
    const AudioInputFormat format = preferred_->inputFormat();
    if (format.isUsable() || !fallback_)
        return format;
    chosen_ = fallback_.get();
    return fallback_->inputFormat();
}

Expected<Done, QString> PreferredAudioInput::start(
    AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError)
{
    stop();
    auto started = chosen_->start(format, framesHint, std::move(handler), std::move(onError));
    if (started)
        running_ = chosen_;
    return started;
}

void PreferredAudioInput::stop()
{
    if (running_)
        std::exchange(running_, nullptr)->stop();
}

} // namespace quillo
