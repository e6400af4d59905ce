#include "dictation/TranscriptPipeline.h"

#include "recognition/Segments.h"
#include "refinement/TextRules.h"

#include <QUuid>

namespace quillo {

namespace {

using namespace dictationTexts;
using namespace dictationTimes;

bool isEmptyOrFiller(const QString &text)
{
    return text.isEmpty() || isFillerSegment(text);
}

// A failure whose recording is kept says that it can be retried.
QString retryableIf(bool kept, const QString &message)
{
    return kept ? keptForRetryMessage.arg(message) : message;
}

} // namespace

TranscriptPipeline::TranscriptPipeline(Deps deps, Report report)
    : deps_(std::move(deps))
    , report_(std::move(report))
{
}

TranscriptPipeline::~TranscriptPipeline()
{
    abandon();
}

std::function<bool()> TranscriptPipeline::currentRun() const
{
    return [run = std::weak_ptr<std::uint64_t>(run_), at = *run_] {
        const auto current = run.lock();
        return current && *current == at;
    };
}

template <typename Step> auto TranscriptPipeline::whileCurrent(Step step) const
{
    return [isCurrent = currentRun(), step = std::move(step)](auto &&...args) {
        if (isCurrent())
            step(std::forward<decltype(args)>(args)...);
    };
}

void TranscriptPipeline::run(std::shared_ptr<RecognitionSession> session, const Capture &capture)
{
    ++*run_;
    session_ = std::move(session);
    session_->finish(capture.finishTimeout, whileCurrent([this, capture](RecognitionSession::FinishResult result) {
        Capture finished = capture;
        finished.cutShort = session_->wasCutShort();
        session_.reset();
        transcribed(result, finished);
    }));
}

void TranscriptPipeline::abandon()
{
    // Stale first: cancelling the session may report at once.
    ++*run_;
    if (auto session = std::exchange(session_, nullptr))
        session->cancel();
}

void TranscriptPipeline::reached(DictationTimings::Stage stage) const
{
    if (report_.reached)
        report_.reached(stage);
}

void TranscriptPipeline::transcribed(const RecognitionSession::FinishResult &result, const Capture &capture)
{
    if (!result) {
        if (result.error().isCancellation()) {
            // Abandoned from outside: end silently, but never stay busy.
            settle(capture, FailedAudioPolicy::Outcome::dropped);
            report_.ended();
            return;
        }
        // Network, time-out, key or service: the words spoken would be gone.
        const bool kept = settle(capture, FailedAudioPolicy::Outcome::failed);
        report_.result(
            DictationPhase::failed(retryableIf(kept, result.error().description())), hideAfter::recognitionFailed);
        return;
    }
    reached(DictationTimings::Stage::transcript);
    const QString raw = result.value().trimmed();
    if (!isEmptyOrFiller(raw)) {
        refine(raw, capture);
        return;
    }
    // The service answered in full: a retry would hear the same.
    settle(capture, FailedAudioPolicy::Outcome::nothingHeard);
    if (!capture.endedBy.isEmpty())
        report_.result(DictationPhase::failed(capture.endedBy), hideAfter::recognitionFailed);
    else
        report_.result(DictationPhase::failed(noValidSpeechMessage), hideAfter::noSpeech);
}

void TranscriptPipeline::refine(const QString &raw, const Capture &capture)
{
    const AppSettings &settings = deps_.settings;
    const bool polish = capture.polish.value_or(settings.polishEnabled());
    if (!capture.translation && !polish) {
        deliver(raw, RefinementOutcome{raw, std::nullopt}, capture);
        return;
    }
    report_.phase(DictationPhase::polishing());
    RefinementRequest request;
    request.transcript = raw;
    request.style = capture.style;
    request.vocabulary = settings.vocabularyTerms();
    request.apiKey = capture.apiKey;
    request.host = settings.normalizedHost();
    request.model = capture.translation ? settings.translateModel() : settings.polishModel();

    auto done = whileCurrent([this, raw, capture](RefinementOutcome outcome) {
        reached(DictationTimings::Stage::chatAnswer);
        deliver(raw, outcome, capture);
    });
    if (!capture.translation) {
        refinementFlow::polish(deps_.chat, request, std::move(done));
        return;
    }
    refinementFlow::translate(deps_.chat, request, *capture.translation, currentRun(), std::move(done));
}

void TranscriptPipeline::deliver(const QString &raw, const RefinementOutcome &outcome, const Capture &capture)
{
    if (isEmptyOrFiller(outcome.text)) {
        settle(capture, FailedAudioPolicy::Outcome::nothingHeard);
        report_.result(DictationPhase::failed(noValidSpeechMessage), hideAfter::noSpeech);
        return;
    }
    const QString final = stripTrailingPeriod(outcome.text);
    const bool restore = deps_.settings.restoreClipboard() && deps_.permissions.isAccessibilityTrusted();
    // Kept whether or not the paste goes through: the text is not lost.
    if (deps_.addHistory)
        deps_.addHistory(historyEntry(raw, final, capture));
    const bool kept = settle(
        capture, capture.cutShort ? FailedAudioPolicy::Outcome::cutShort : FailedAudioPolicy::Outcome::delivered);
    if (outcome.note)
        report_.note(outcome.note);
    else
        report_.note(capture.endedBy.isEmpty() ? std::nullopt : std::optional<QString>(capture.endedBy));
    deps_.insertText(final, restore, whileCurrent([this, final, capture, kept](InsertOutcome inserted) {
        present(inserted, final, capture, kept);
    }));
}

HistoryEntry TranscriptPipeline::historyEntry(const QString &raw, const QString &final, const Capture &capture) const
{
    HistoryEntry entry;
    entry.id = QUuid::createUuid();
    entry.date = HistoryEntry::dateFrom(deps_.scheduler.wallNow());
    entry.raw = raw;
    entry.text = final;
    entry.appName = capture.appName;
    entry.seconds = capture.seconds;
    if (capture.translation)
        entry.language = rawValue(*capture.translation);
    return entry;
}

void TranscriptPipeline::present(InsertOutcome inserted, const QString &final, const Capture &capture, bool kept)
{
    reached(DictationTimings::Stage::inserted);
    if (inserted == InsertOutcome::pasted && capture.autoSend) {
        // Timed from the keystroke itself: the paste may first wait for held modifiers.
        returnWork_ = deps_.scheduler.after(autoSendDelay, [this] {
            if (deps_.pressReturn)
                deps_.pressReturn();
        });
    }
    switch (inserted) {
    case InsertOutcome::clipboardFailed:
        // Nothing reached the clipboard: asking for ⌘V would paste something else.
        report_.result(DictationPhase::failed(clipboardFailedMessage), hideAfter::notPasted);
        return;
    case InsertOutcome::copiedOnly:
        // Nothing here can paste into that window; nothing to grant either.
        report_.result(DictationPhase::failed(copiedOnlyMessage), hideAfter::notPasted);
        return;
    case InsertOutcome::notTrusted:
        report_.result(DictationPhase::failed(notPastedMessage), hideAfter::notPasted);
        deps_.permissions.promptForAccessibility();
        return;
    case InsertOutcome::pasted:
        break;
    }
    if (capture.cutShort && kept) {
        // The text is in place, perhaps not all of it; the whole recording waits in the menu.
        report_.result(DictationPhase::failed(retryableIf(true, cutShortMessage)), hideAfter::recognitionFailed);
        return;
    }
    if (!capture.endedBy.isEmpty()) {
        // The text is in place; the panel says why the recording stopped short.
        report_.result(DictationPhase::failed(capture.endedBy), hideAfter::recognitionFailed);
        return;
    }
    report_.result(DictationPhase::done(final), hideAfter::done);
}

bool TranscriptPipeline::settle(const Capture &capture, FailedAudioPolicy::Outcome outcome)
{
    FailedRecording choices;
    choices.style = capture.style;
    choices.translation = capture.translation;
    choices.polish = capture.polish.value_or(deps_.settings.polishEnabled());
    return deps_.failedAudio.settle(capture.recordingId, outcome, choices);
}

} // namespace quillo
