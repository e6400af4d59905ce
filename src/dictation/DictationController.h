#pragma once

#include "audio/SpeechGate.h"
#include "dictation/DictationPhase.h"
#include "dictation/DictationPorts.h"
#include "dictation/DictationTexts.h"
#include "dictation/DictationTimings.h"
#include "dictation/FailedRecordingStore.h"
#include "dictation/HUDModel.h"
#include "dictation/PcmFilePlayer.h"
#include "dictation/RefinementFlow.h"
#include "dictation/TextInserter.h"
#include "hotkeys/Hotkey.h"
#include "platform/FrontmostApp.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "platform/Sounds.h"
#include "recognition/RecognitionSession.h"
#include "refinement/ChatFunction.h"
#include "settings/AppSettings.h"
#include "settings/HistoryEntry.h"
#include "settings/TargetLanguage.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace quillo {

class AppSettings;

// Turns hotkey presses into dictations: records, streams the gated audio to the
// recognition service, refines the transcript, pastes it, keeps a history entry
// and drives the panel's phases. Main thread only.
class DictationController : public QObject {
    Q_OBJECT

public:
    struct Deps {
        AppSettings &settings;
        Scheduler &scheduler;
        // Reads the stored API key fresh from the credential store; answers on the main thread.
        std::function<void(std::function<void(const APIKeyRead &)>)> readAPIKey;
        std::function<void(const HistoryEntry &)> addHistory;
        DictationRecorder &recorder;
        RecognitionSessionFactory makeSession;
        ChatFunction chat;
        // TextInserter::insert: answers once, `pasted` when the paste keystroke really went out.
        std::function<void(const QString &text, bool restoreClipboard, InsertDone done)> insertText;
        std::function<void()> pressReturn;
        FrontmostApp &frontmost;
        Permissions &permissions;
        std::function<void()> openMicrophoneSettings;
        Sounds &sounds;
        DictationPanel &panel;
        DictationHotkeys &hotkeys;
        // A whole audio file as 16 kHz mono PCM16, for the file-driven dictation.
        std::function<Expected<QByteArray, QString>(const QString &path)> loadPCM16;
        std::function<float(const QByteArray &pcm16)> pcm16Level;
        // Where the audio of a dictation whose recognition failed is kept for a retry;
        // null keeps nothing.
        FailedRecordingStore *failedRecordings = nullptr;
    };

    // The send key is fixed: the right Command key alone.
    static constexpr Hotkey holdSendHotkey{54, modifierFlag::command, true};

    explicit DictationController(Deps deps, QObject *parent = nullptr);
    ~DictationController() override;

    HUDModel &hud() { return *hud_; }
    const DictationPhase &phase() const { return phase_; }
    const std::optional<QString> &lastMessage() const { return lastMessage_; }
    DictationTimings &timings() { return timings_; }
    bool isBusy() const { return phase_.isBusy(); }
    // A start is waiting for the credential store to hand over the key.
    bool isStarting() const { return pendingStart_.has_value(); }
    // The dictation being delivered ends with an auto-send Return after its paste.
    bool returnFollowsPaste() const { return autoSend_; }

    void bindHotkeys();
    void handlePress(HotkeySlot slot);
    void handleRelease(HotkeySlot slot);
    void handleOtherKeyWhileHolding();
    void handleEscape();
    void handleTranslateTap(Scheduler::TimePoint time);
    void toggleFromMenu();
    // Actions sent by `quillo --start` and friends, typically from a desktop key binding
    // (press: start, release: stop). Each answers whether it did anything; one that does
    // not fit the current phase is ignored, as the matching key press would be.
    bool startFromCommand();
    bool stopFromCommand();
    bool toggleFromCommand();
    bool cancelFromCommand();
    bool translateFromCommand();
    void runEndToEnd(const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed);
    // Dictates the kept audio of the last failed dictation again, at once rather than
    // at speaking pace, with the style, translation and polish it was recorded with,
    // into the window focused now. Answers false while a dictation runs or when
    // nothing is kept.
    bool retryLastRecording();

signals:
    void phaseChanged(const quillo::DictationPhase &phase);
    void lastMessageChanged();

private:
    // What the pipeline of one finished recording carries.
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
        // The audio handed to the service, kept should recognition fail; empty when
        // there is none to keep.
        QByteArray audio;
        // A retry refines as its recording was set up to; otherwise the settings decide.
        std::optional<bool> polish;
        double finishTimeout = dictationTimes::finishTimeoutSeconds;
    };

    // A start waiting for the key: what started it.
    struct PendingStart {
        std::uint64_t id = 0;
        // The slot whose release ends the recording before it began, if any.
        std::optional<HotkeySlot> releaseSlot;
    };

    void applyHotkeySettings();
    // Reads the key, then runs start with it; a refusal shows the matching message.
    void withAPIKey(std::optional<HotkeySlot> releaseSlot, std::function<void(const APIKeyRead &)> start);
    // Shows why a read key cannot start a dictation; true when it can.
    bool keyCanStart(const APIKeyRead &read);
    void dropPendingStart();
    void startRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot);
    void beginRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot, const QString &apiKey);
    void beginEndToEnd(const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed,
        const QString &apiKey);
    void prepare(RecordingMode mode, HotkeySlot holdSlot, bool autoSend);
    void openSession(const QString &apiKey);
    void handleAudioChunk(std::uint64_t recording, const QByteArray &data, float level);
    void handleRecorderLost(std::uint64_t recording, const QString &description);
    void feed(const QByteArray &data, float level);
    void rememberSent(const QByteArray &chunk);
    void beginRetry(const QString &apiKey);
    void keepFailedAudio(const Capture &capture);
    void dropFailedAudio();
    void updateElapsed();
    // endedBy: the recorder's message when capture ended on its own.
    void stopRecording(std::optional<QString> endedBy = std::nullopt);
    void processTranscript(std::shared_ptr<RecognitionSession> session, const Capture &capture);
    void refine(const QString &raw, const Capture &capture);
    void deliverText(const QString &raw, const RefinementOutcome &outcome, const Capture &capture);
    void presentInsertion(InsertOutcome inserted, const QString &final, const QString &endedBy);
    void showResult(const DictationPhase &phase, double hideAfter);
    void hidePanel();
    void cancelSession();
    void cycleTranslation();
    void setPhase(const DictationPhase &phase);
    void setLastMessage(std::optional<QString> message);
    void playSound(Sound sound);
    void dropSession();
    double secondsSince(Scheduler::TimePoint start) const;
    bool isCurrent(std::uint64_t pipeline) const { return pipeline == pipeline_; }

    Deps deps_;
    HUDModel *hud_; // child
    DictationPhase phase_;
    std::optional<QString> lastMessage_;
    std::shared_ptr<RecognitionSession> asr_;
    RecordingMode mode_ = RecordingMode::hold;
    std::optional<Scheduler::TimePoint> startedAt_;
    std::optional<AppIdentity> targetApp_;
    ScheduledWork timer_;
    // Each recording, session and pipeline gets a number; work that carries an
    // old number finds it stale and does nothing (chunks, partials, results).
    std::uint64_t recording_ = 0;
    std::uint64_t session_ = 0;
    std::uint64_t pipeline_ = 0;
    ScheduledWork hideWork_;
    ScheduledWork returnWork_;
    std::unique_ptr<PcmFilePlayer> filePlayer_;
    SpeechGate gate_;
    // What the current recording handed to the service, for a retry should it fail.
    QByteArray sent_;
    bool sentTooLong_ = false;
    HotkeySlot holdSlot_ = HotkeySlot::hold;
    bool autoSend_ = false;
    bool hotkeysBound_ = false;
    QString apiKey_; // of the dictation under way; cleared when it ends
    std::optional<PendingStart> pendingStart_;
    std::uint64_t nextStartId_ = 0;
    ScheduledWork keyDeadline_;
    // When stopFromCommand last found no recording to stop.
    std::optional<Scheduler::TimePoint> stopWithoutRecording_;
    DictationTimings timings_;
};

} // namespace quillo
