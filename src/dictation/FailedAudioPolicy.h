#pragma once

#include "dictation/FailedRecording.h"
#include "dictation/FailedRecordingStore.h"
#include "dictation/RecordingJournal.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace quillo {

// What becomes of a dictation's audio. A recording's audio goes to disk as it goes
// to the service; how its dictation ends decides whether it is kept for a retry:
//
//   outcome            a new recording        a retry of a kept one
//   delivered whole    removed                the kept one removed
//   cut short          kept                   stays
//   failed             kept                   stays
//   nothing heard      removed                stays
//   dropped by user    removed                stays
//   file unreadable    -                      the kept one removed
//
// Nothing else is ever removed: a dictation only settles its own audio. Without a
// store nothing is written.
class FailedAudioPolicy {
public:
    enum class Outcome { delivered, cutShort, failed, nothingHeard, dropped, unreadable };

    explicit FailedAudioPolicy(FailedRecordingStore *store);

    // A recording starts with these choices; its files appear with its first audio.
    void begin(const FailedRecording &choices);
    // Audio that went to the service.
    void append(const QByteArray &pcm16);
    // The text recognised so far, for the list of kept recordings.
    void heard(const QString &partial);
    // The id the recording's audio is kept under; empty when none was written.
    QString recordingId() const;
    // The user dropped the recording.
    void abandon();

    // Settles the audio of the dictation of recording id (a new one or a retried
    // one), recorded with choices; true when it is kept for a retry.
    bool settle(const QString &id, Outcome outcome, const FailedRecording &choices);

    bool canRetry() const { return store_ && !store_->recordings().isEmpty(); }
    // The kept recording id; the newest for an empty id.
    std::optional<FailedRecording> retryable(const QString &id = {}) const;
    QString audioPath(const QString &id) const { return store_ ? store_->audioPath(id) : QString(); }
    // Runs done on the main thread once what was queued for the disk is there.
    void whenWritten(QObject *context, std::function<void()> done) const;

private:
    FailedRecordingStore *store_;
    std::optional<FailedRecording> choices_; // of a recording whose files are not there yet
    std::unique_ptr<RecordingJournal> journal_;
    QString partial_;
};

} // namespace quillo
