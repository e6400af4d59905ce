#include "dictation/FailedAudioPolicy.h"

namespace quillo {

FailedAudioPolicy::FailedAudioPolicy(FailedRecordingStore *store)
    : store_(store)
{
}

void FailedAudioPolicy::begin()
{
    gathered_ = {};
    tooLong_ = false;
}

void FailedAudioPolicy::append(const QByteArray &pcm16)
{
    if (!store_ || tooLong_)
        return;
    if (gathered_.size() + pcm16.size() > FailedRecordingStore::maxBytes) {
        tooLong_ = true;
        gathered_ = {};
        return;
    }
    gathered_.append(pcm16);
}

QByteArray FailedAudioPolicy::take()
{
    return std::exchange(gathered_, {});
}

void FailedAudioPolicy::abandon()
{
    gathered_ = {};
}

void FailedAudioPolicy::recognitionFailed(FailedRecording recording)
{
    if (store_ && !recording.pcm.isEmpty())
        store_->keep(std::move(recording));
}

void FailedAudioPolicy::delivered()
{
    if (store_)
        store_->discard();
}

std::optional<FailedRecording> FailedAudioPolicy::retryable() const
{
    return store_ ? store_->current() : std::nullopt;
}

} // namespace quillo
