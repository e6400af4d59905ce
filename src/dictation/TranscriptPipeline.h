#pragma once

#include "common/AppStyle.h"
#include "dictation/DictationPhase.h"
#include "dictation/DictationTexts.h"
#include "dictation/DictationTimings.h"
#include "dictation/FailedAudioPolicy.h"
#include "dictation/RefinementFlow.h"
#include "dictation/TextInserter.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "recognition/RecognitionSession.h"
#include "refinement/ChatFunction.h"
#include "settings/AppSettings.h"
#include "settings/HistoryEntry.h"
#include "settings/TargetLanguage.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace quillo {

// The way of one finished recording to the cursor: the service's last words, the model's
// polish or translation, the history entry, the paste and what the panel says at the end.
// A newer dictation or a cancel abandons it: whatever arrives for it afterwards changes
// nothing. Main thread only.
class TranscriptPipeline {
public:
    // What one finished recording carries.
    struct Capture {
        // Read once when the dictation started; lives only as long as the dictation.
        QString apiKey;
        std::optional<TargetLanguage> translation;
        AppStyle style = AppStyle::general;
        QString appName;
        double seconds = 0;
        // Why the recording ended before the user ended it (the microphone went away);
        // shown once the text recognised so far has been delivered. Empty: the user ended it.
        QString endedBy;
        // The recording whose audio went to the service (a new or a retried one), kept
        // should recognition fail; empty when none was written.
        QString recordingId;
        // A retry refines as its recording was set up to; otherwise the settings decide.
        std::optional<bool> polish;
        double finishTimeout = dictationTimes::finishTimeoutSeconds;
        // Return follows the paste (the send key started it).
        bool autoSend = false;
        // Set from the session: the service ran out of time and its text may stop short.
        bool cutShort = false;
    };

    struct Deps {
        AppSettings &settings;
        Scheduler &scheduler;
        ChatFunction chat;
        std::function<void(const HistoryEntry &)> addHistory;
        std::function<void(const QString &text, bool restoreClipboard, InsertDone done)> insertText;
        std::function<void()> pressReturn;
        Permissions &permissions;
        FailedAudioPolicy &failedAudio;
    };

    // How the pipeline tells the dictation it serves where it stands.
    struct Report {
        std::function<void(const DictationPhase &)> phase;
        // The end of the dictation, shown for hideAfter seconds.
        std::function<void(const DictationPhase &, double hideAfter)> result;
        // Why the text differs from what the model answered, or why the recording stopped short.
        std::function<void(std::optional<QString>)> note;
        // The session was cancelled from outside: the dictation ends without a word.
        std::function<void()> ended;
        // A stage of the dictation's way reached, for its timings.
        std::function<void(DictationTimings::Stage)> reached;
    };

    TranscriptPipeline(Deps deps, Report report);
    ~TranscriptPipeline();
    TranscriptPipeline(const TranscriptPipeline &) = delete;
    TranscriptPipeline &operator=(const TranscriptPipeline &) = delete;

    // Takes the session over and carries its transcript on; an earlier run is stale from now.
    void run(std::shared_ptr<RecognitionSession> session, const Capture &capture);
    // Cancels the session still awaited; nothing of the current run shows afterwards.
    void abandon();

private:
    void reached(DictationTimings::Stage stage) const;
    void transcribed(const RecognitionSession::FinishResult &result, const Capture &capture);
    void refine(const QString &raw, const Capture &capture);
    void deliver(const QString &raw, const RefinementOutcome &outcome, const Capture &capture);
    // kept: the recording's audio waits for a retry.
    void present(InsertOutcome inserted, const QString &final, const Capture &capture, bool kept);
    // Settles the recording's audio; true when it is kept for a retry.
    bool settle(const Capture &capture, FailedAudioPolicy::Outcome outcome);
    HistoryEntry historyEntry(const QString &raw, const QString &final, const Capture &capture) const;
    // Whether the run current now still is, and this pipeline alive.
    std::function<bool()> currentRun() const;
    // Wraps step so that it runs only while the current run is.
    template <typename Step> auto whileCurrent(Step step) const;

    Deps deps_;
    Report report_;
    // Callbacks hold it weakly: stale once it moved on, gone with the pipeline.
    std::shared_ptr<std::uint64_t> run_ = std::make_shared<std::uint64_t>(0);
    std::shared_ptr<RecognitionSession> session_;
    ScheduledWork returnWork_;
};

} // namespace quillo
