#include "dictation/FailedAudioPolicy.h"

#include <QUuid>

namespace quillo {

FailedAudioPolicy::FailedAudioPolicy(FailedRecordingStore *store)
    : store_(store)
{
}

void FailedAudioPolicy::begin(const FailedRecording &choices)
{
    abandon();
    if (store_)
        choices_ = choices;
}

void FailedAudioPolicy::append(const QByteArray &pcm16)
{
    if (!store_ || pcm16.isEmpty())
        return;
    if (!journal_ && choices_) {
        FailedRecording info = *std::exchange(choices_, std::nullopt);
        info.id = QUuid::createUuid().toString(QUuid::Id128);
        info.recordedAt = store_->now();
        info.bytes = 0;
        journal_ = std::make_unique<RecordingJournal>(store_->tasks(), store_->folder(), info);
    }
    if (journal_)
        journal_->append(pcm16);
}

void FailedAudioPolicy::heard(const QString &partial)
{
    if (journal_)
        partial_ = partial;
}

QString FailedAudioPolicy::recordingId() const
{
    return journal_ ? journal_->info().id : QString();
}

void FailedAudioPolicy::abandon()
{
    choices_.reset();
    partial_.clear();
    if (auto journal = std::exchange(journal_, nullptr))
        journal->discard();
}

bool FailedAudioPolicy::settle(const QString &id, Outcome outcome, const FailedRecording &choices)
{
    if (!store_ || id.isEmpty())
        return false;
    const bool failed = outcome == Outcome::failed || outcome == Outcome::cutShort;
    if (!journal_ || journal_->info().id != id) {
        // A retry: only its own delivery lets the kept audio go.
        if (outcome == Outcome::delivered || outcome == Outcome::unreadable)
            store_->remove(id);
        return failed && store_->find(id);
    }
    if (!failed) {
        abandon();
        return false;
    }
    FailedRecording final = choices;
    final.firstWords = partial_.trimmed();
    store_->keep(journal_->finish(final));
    journal_.reset();
    partial_.clear();
    return store_->find(id).has_value();
}

std::optional<FailedRecording> FailedAudioPolicy::retryable(const QString &id) const
{
    return store_ ? store_->find(id) : std::nullopt;
}

void FailedAudioPolicy::whenWritten(QObject *context, std::function<void()> done) const
{
    if (store_)
        store_->tasks().whenDone(context, std::move(done));
}

} // namespace quillo
