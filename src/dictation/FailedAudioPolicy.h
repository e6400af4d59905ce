#pragma once

#include "dictation/FailedRecording.h"
#include "dictation/FailedRecordingStore.h"

#include <QByteArray>

#include <optional>

namespace quillo {

// What becomes of a dictation's audio when its words do not arrive. The audio is
// gathered as it goes to the service; should recognition fail or hear nothing, it is
// kept with how it was recorded, for a retry, until a later dictation delivers its
// text. A dictation the user drops leaves nothing. Without a store nothing is kept.
class FailedAudioPolicy {
public:
    explicit FailedAudioPolicy(FailedRecordingStore *store);

    // A recording starts: nothing of an earlier one carries over.
    void begin();
    // Audio that went to the service.
    void append(const QByteArray &pcm16);
    // The recording ended: its audio, to travel with its transcript. Empty when it
    // grew too long to keep: rather no retry than a retry of a cut-off dictation.
    QByteArray take();
    // The user dropped the recording.
    void abandon();

    // Recognition failed or heard nothing.
    void recognitionFailed(FailedRecording recording);
    // A dictation delivered its text: an older failure's audio is not needed now.
    void delivered();

    bool canRetry() const { return store_ && store_->current(); }
    // What a retry dictates again.
    std::optional<FailedRecording> retryable() const;

private:
    FailedRecordingStore *store_;
    QByteArray gathered_;
    bool tooLong_ = false;
};

} // namespace quillo
