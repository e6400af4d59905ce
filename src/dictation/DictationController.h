#pragma once

#include "audio/SpeechGate.h"
#include "dictation/DictationPhase.h"
#include "dictation/DictationPorts.h"
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
        // The stored API key, read fresh each time; empty when none.
        std::function<QString()> apiKey;
        std::function<void(const HistoryEntry &)> addHistory;
        DictationRecorder &recorder;
        RecognitionSessionFactory makeSession;
        ChatFunction chat;
        // TextInserter::insert: pasted, or why not.
        std::function<InsertOutcome(const QString &text, bool restoreClipboard)> insertText;
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
    };

    // The send key is fixed: the right Command key alone.
    static constexpr Hotkey holdSendHotkey{54, modifierFlag::command, true};

    explicit DictationController(Deps deps, QObject *parent = nullptr);
    ~DictationController() override;

    HUDModel &hud() { return *hud_; }
    const DictationPhase &phase() const { return phase_; }
    const std::optional<QString> &lastMessage() const { return lastMessage_; }
    bool isBusy() const { return phase_.isBusy(); }

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

signals:
    void phaseChanged(const quillo::DictationPhase &phase);
    void lastMessageChanged();

private:
    // What the pipeline of one finished recording carries.
    struct Capture {
        std::optional<TargetLanguage> translation;
        AppStyle style = AppStyle::general;
        QString appName;
        double seconds = 0;
    };

    void applyHotkeySettings();
    void startRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot);
    void prepare(RecordingMode mode, HotkeySlot holdSlot, bool autoSend);
    void openSession(const QString &apiKey);
    void handleAudioChunk(std::uint64_t recording, const QByteArray &data, float level);
    void feed(const QByteArray &data, float level);
    void updateElapsed();
    void stopRecording();
    void processTranscript(std::shared_ptr<RecognitionSession> session, const Capture &capture);
    void refine(const QString &raw, const Capture &capture);
    void deliverText(const QString &raw, const RefinementOutcome &outcome, const Capture &capture);
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
    HotkeySlot holdSlot_ = HotkeySlot::hold;
    bool autoSend_ = false;
    bool hotkeysBound_ = false;
    // When stopFromCommand last found no recording to stop.
    std::optional<Scheduler::TimePoint> stopWithoutRecording_;
};

} // namespace quillo
