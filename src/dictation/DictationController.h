#pragma once

#include "common/Expected.h"
#include "dictation/AudioFeed.h"
#include "dictation/DictationInput.h"
#include "dictation/DictationPhase.h"
#include "dictation/DictationPorts.h"
#include "dictation/DictationTake.h"
#include "dictation/DictationTimings.h"
#include "dictation/FailedAudioPolicy.h"
#include "dictation/FailedRecording.h"
#include "dictation/FailedRecordingStore.h"
#include "dictation/HUDModel.h"
#include "dictation/HotkeyBinding.h"
#include "dictation/RecordingStream.h"
#include "dictation/ResultPresenter.h"
#include "dictation/StartGate.h"
#include "dictation/TextInserter.h"
#include "dictation/TranscriptPipeline.h"
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

// Turns hotkey presses, menu items and command-line actions into dictations: the story
// of one from its start to its result. Its pieces do the work: whether it may start
// (StartGate), where its audio comes from (AudioFeed) and how that audio reaches the
// service (RecordingStream), the way of the transcript to the cursor
// (TranscriptPipeline), what becomes of the audio when recognition fails
// (FailedAudioPolicy), the keys (HotkeyBinding), what a key or command means now
// (DictationInput) and what the user sees and hears (ResultPresenter).
// docs/architecture.md walks through one dictation. Main thread only.
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
        // Where recordings are written as they are made and failed ones kept for a
        // retry; null keeps nothing.
        FailedRecordingStore *failedRecordings = nullptr;
    };

    static constexpr Hotkey holdSendHotkey = HotkeyBinding::holdSendHotkey;

    explicit DictationController(Deps deps, QObject *parent = nullptr);
    ~DictationController() override;

    HUDModel &hud() { return *hud_; }
    const DictationPhase &phase() const { return presenter_.phase(); }
    const std::optional<QString> &lastMessage() const { return presenter_.note(); }
    bool isBusy() const { return phase().isBusy(); }
    DictationTimings &timings() { return timings_; }
    // A start is waiting for the credential store to hand over the key.
    bool isStarting() const { return startGate_.isWaiting(); }
    // The dictation being delivered ends with an auto-send Return after its paste.
    bool returnFollowsPaste() const { return take_.autoSend; }

    void bindHotkeys();
    // What each key, menu item and command means now is DictationInput's to decide.
    void handlePress(HotkeySlot slot) { input_.handlePress(slot); }
    void handleRelease(HotkeySlot slot) { input_.handleRelease(slot); }
    void handleOtherKeyWhileHolding() { input_.handleOtherKeyWhileHolding(); }
    void handleEscape() { input_.handleEscape(); }
    void handleTranslateTap(Scheduler::TimePoint time) { input_.handleTranslateTap(time); }
    void toggleFromMenu() { input_.toggleFromMenu(); }
    // Actions sent by `quillo --start` and friends, typically from a desktop key binding
    // (press: start, release: stop). Each answers whether it did anything; one that does
    // not fit the current phase is ignored, as the matching key press would be.
    bool startFromCommand() { return input_.startFromCommand(); }
    bool stopFromCommand() { return input_.stopFromCommand(); }
    bool toggleFromCommand() { return input_.toggleFromCommand(); }
    bool cancelFromCommand() { return input_.cancelFromCommand(); }
    bool translateFromCommand() { return input_.translateFromCommand(); }
    void runEndToEnd(const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed);
    // Dictates a kept failed recording (the newest for an empty id) again, faster than
    // spoken, with the style, translation and polish it was recorded with, into the
    // window focused now. Answers false while a dictation runs or when it is not kept.
    bool retryRecording(const QString &id = {});
    bool retryLastRecording() { return retryRecording(); }

signals:
    void phaseChanged(const quillo::DictationPhase &phase);
    void lastMessageChanged();

private:
    void startRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot);
    void beginEndToEnd(const QString &audioFile, DictationTake take, double speed, const QString &apiKey);
    void beginRetry(const QString &apiKey, const QString &id);
    // The one way every dictation begins, whatever feeds it.
    void begin(const DictationTake &take, const AudioFeed &feed, const QString &apiKey);
    void prepare(const DictationTake &take);
    // The kept audio went out (unreadable: why it could not).
    void transcribeKept(std::optional<QString> unreadable);
    // endedBy: why capture ended on its own (the recorder's message).
    void stopRecording(std::optional<QString> endedBy = std::nullopt);
    void cancelSession();
    void cycleTranslation();
    double secondsSince(Scheduler::TimePoint start) const;

    Deps deps_;
    HUDModel *hud_; // child
    HotkeyBinding hotkeyBinding_;
    // Before the pieces that report to it, so it outlives them.
    DictationTimings timings_;
    ResultPresenter presenter_;
    DictationTake take_; // the dictation under way, or the last one
    FailedAudioPolicy failedAudio_;
    RecordingStream stream_;
    StartGate startGate_;
    DictationInput input_;
    // Last: abandoned first when the controller goes.
    TranscriptPipeline pipeline_;
};

} // namespace quillo
