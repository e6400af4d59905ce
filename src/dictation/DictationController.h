#pragma once

#include "common/Expected.h"
#include "dictation/DictationPhase.h"
#include "dictation/DictationPorts.h"
#include "dictation/FailedAudioPolicy.h"
#include "dictation/FailedRecordingStore.h"
#include "dictation/HUDModel.h"
#include "dictation/HotkeyBinding.h"
#include "dictation/PendingStart.h"
#include "dictation/RecordingStream.h"
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

// Turns hotkey presses, menu items and command-line actions into dictations and
// drives the panel's phases. Its pieces do the work: the key read before a start
// (PendingStart), the audio on its way to the service (RecordingStream), the way of
// the transcript to the cursor (TranscriptPipeline) and what becomes of the audio
// when recognition fails (FailedAudioPolicy). Main thread only.
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
    const DictationPhase &phase() const { return phase_; }
    const std::optional<QString> &lastMessage() const { return lastMessage_; }
    bool isBusy() const { return phase_.isBusy(); }
    // A start is waiting for the credential store to hand over the key.
    bool isStarting() const { return pendingStart_.isWaiting(); }
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
    // Dictates a kept failed recording (the newest for an empty id) again, faster than
    // spoken, with the style, translation and polish it was recorded with, into the
    // window focused now. Answers false while a dictation runs or when it is not kept.
    bool retryRecording(const QString &id = {});
    bool retryLastRecording() { return retryRecording(); }

signals:
    void phaseChanged(const quillo::DictationPhase &phase);
    void lastMessageChanged();

private:
    // Reads the key, then runs start with it; shows instead why the key cannot start one.
    void withAPIKey(
        std::optional<HotkeySlot> releaseSlot, std::function<void(const QString &key)> start, bool keyRequired = true);
    // Shows why the microphone cannot be used; true when it can.
    bool microphoneAllowed();
    void startRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot);
    void beginRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot, const QString &apiKey);
    void beginEndToEnd(const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed,
        const QString &apiKey);
    void beginRetry(const QString &apiKey, const QString &id);
    // The style, translation and polish the recording starting now is made with.
    FailedRecording recordedWith() const;
    void prepare(RecordingMode mode, HotkeySlot holdSlot, bool autoSend);
    void openSession(const QString &apiKey);
    void updateElapsed();
    // endedBy: the recorder's message when capture ended on its own.
    void stopRecording(std::optional<QString> endedBy = std::nullopt);
    TranscriptPipeline::Capture capture(const QString &apiKey) const;
    void showResult(const DictationPhase &phase, double hideAfter);
    // A start that cannot go ahead: its reason, briefly.
    void refuse(const QString &message);
    void hidePanel();
    void endSilently();
    void cancelSession();
    void cycleTranslation();
    void setPhase(const DictationPhase &phase);
    void setLastMessage(std::optional<QString> message);
    void playSound(Sound sound);
    double secondsSince(Scheduler::TimePoint start) const;

    Deps deps_;
    HUDModel *hud_; // child
    HotkeyBinding hotkeyBinding_;
    DictationPhase phase_;
    std::optional<QString> lastMessage_;
    RecordingMode mode_ = RecordingMode::hold;
    std::optional<Scheduler::TimePoint> startedAt_;
    std::optional<AppIdentity> targetApp_;
    ScheduledWork timer_;
    ScheduledWork hideWork_;
    HotkeySlot holdSlot_ = HotkeySlot::hold;
    bool autoSend_ = false;
    QString apiKey_; // of the dictation under way; cleared when it ends
    // When stopFromCommand last found no recording to stop.
    std::optional<Scheduler::TimePoint> stopWithoutRecording_;
    FailedAudioPolicy failedAudio_;
    RecordingStream stream_;
    PendingStart pendingStart_;
    // Last: abandoned first when the controller goes.
    TranscriptPipeline pipeline_;
};

} // namespace quillo
