#include "platform/fake/FakeAudioInput.h"

#include <utility>

namespace quillo {

AudioInputFormat FakeAudioInput::inputFormat()
{
    const std::lock_guard guard(lock_);
    return format_;
}

Expected<Done, QString> FakeAudioInput::start(
    AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError)
{
    const std::lock_guard guard(lock_);
    ++starts_;
    framesHint_ = framesHint;
    if (startFailure_) {
        QString message = *startFailure_;
        startFailure_.reset();
        handler_ = nullptr;
        onError_ = nullptr;
        return unexpected(std::move(message));
    }
    running_ = format;
    handler_ = std::move(handler);
    onError_ = std::move(onError);
    return Done{};
}

void FakeAudioInput::stop()
{
    const std::lock_guard guard(lock_);
    ++stops_;
    handler_ = nullptr;
    onError_ = nullptr;
}

void FakeAudioInput::setFormat(AudioInputFormat format)
{
    const std::lock_guard guard(lock_);
    format_ = format;
}

void FakeAudioInput::failNextStart(QString message)
{
    const std::lock_guard guard(lock_);
    startFailure_ = std::move(message);
}

bool FakeAudioInput::feed(const std::vector<float> &interleaved)
{
    BufferHandler handler;
    AudioInputFormat format;
    {
        const std::lock_guard guard(lock_);
        handler = handler_;
        format = running_;
    }
    if (!handler)
        return false;
    handler(AudioBufferView{interleaved, format});
    return true;
}

bool FakeAudioInput::lose(const QString &reason)
{
    ErrorHandler onError;
    {
        const std::lock_guard guard(lock_);
        if (!handler_)
            return false;
        handler_ = nullptr;
        onError = std::exchange(onError_, nullptr);
    }
    if (onError)
        onError(reason);
    return true;
}

bool FakeAudioInput::isRunning() const
{
    const std::lock_guard guard(lock_);
    return static_cast<bool>(handler_);
}

int FakeAudioInput::startCount() const
{
    const std::lock_guard guard(lock_);
    return starts_;
}

int FakeAudioInput::stopCount() const
{
    const std::lock_guard guard(lock_);
    return stops_;
}

std::size_t FakeAudioInput::lastFramesHint() const
{
    const std::lock_guard guard(lock_);
    return framesHint_;
}

} // namespace quillo
