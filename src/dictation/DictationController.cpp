#include "dictation/DictationController.h"

#include "dictation/AppStyle.h"
#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"
#include "settings/AppSettings.h"

#include <QPointer>

#include <chrono>

namespace quillo {

namespace {

using namespace dictationTexts;
using namespace dictationTimes;

Scheduler::Duration seconds(double s)
{
    return std::chrono::round<Scheduler::Duration>(std::chrono::duration<double>(s));
}

// A callback that calls method while the controller lives and does nothing after.
template <typename... Args>
std::function<void(Args...)> weakly(DictationController *controller, void (DictationController::*method)(Args...))
{
    return [self = QPointer<DictationController>(controller), method](Args... args) {
        if (self)
            (self.data()->*method)(args...);
    };
}

} // namespace

DictationController::DictationController(Deps deps, QObject *parent)
    : QObject(parent)
    , deps_(std::move(deps))
    , hud_(new HUDModel(this))
    , hotkeyBinding_(deps_.hotkeys, deps_.settings, *hud_)
    , failedAudio_(deps_.failedRecordings)
    , stream_(RecordingStream::Deps{
          deps_.makeSession, deps_.recorder, deps_.scheduler, deps_.pcm16Level, failedAudio_, *hud_})
    , pendingStart_(deps_.scheduler, deps_.readAPIKey)
    , pipeline_(TranscriptPipeline::Deps{deps_.settings, deps_.scheduler, deps_.chat, deps_.addHistory,
                    deps_.insertText, deps_.pressReturn, deps_.permissions, failedAudio_},
          TranscriptPipeline::Report{
              .phase = [this](const DictationPhase &phase) { setPhase(phase); },
              .result = [this](const DictationPhase &phase, double hideAfter) { showResult(phase, hideAfter); },
              .note = [this](std::optional<QString> note) { setLastMessage(std::move(note)); },
              .ended = [this] { endSilently(); },
          })
{
}

DictationController::~DictationController()
{
    if (phase_.kind() == DictationPhase::Kind::recording)
        stream_.stopCapture();
    pipeline_.abandon();
    stream_.drop();
}

void DictationController::bindHotkeys()
{
    DictationHotkeys::Callbacks callbacks;
    callbacks.onPress = weakly(this, &DictationController::handlePress);
    callbacks.onRelease = weakly(this, &DictationController::handleRelease);
    callbacks.onOtherKeyWhileHolding = weakly(this, &DictationController::handleOtherKeyWhileHolding);
    callbacks.onEscape = weakly(this, &DictationController::handleEscape);
    callbacks.shouldInterceptEscape = [self = QPointer<DictationController>(this)] { return self && self->isBusy(); };
    callbacks.onTranslateTap = weakly(this, &DictationController::handleTranslateTap);
    hotkeyBinding_.bind(std::move(callbacks));
}

void DictationController::handlePress(HotkeySlot slot)
{
    using dictationRules::PressAction;
    if (pendingStart_.isWaiting())
        return; // the key is on its way; this press belongs to the start already under way
    const bool recording = phase_.kind() == DictationPhase::Kind::recording;
    if (recording && slot == HotkeySlot::holdSend)
        autoSend_ = true;
    const bool holdKeyDown = deps_.hotkeys.isHeld(HotkeySlot::hold);
    switch (dictationRules::pressAction(slot, phase_.kind(), mode_, holdKeyDown)) {
    case PressAction::ignore:
        return;
    case PressAction::stop:
        stopRecording();
        return;
    case PressAction::continueHandsFree:
        mode_ = RecordingMode::handsFree;
        hud_->setMode(mode_);
        if (slot == HotkeySlot::toggleTranslate && !hud_->translation())
            hud_->setTranslation(deps_.settings.translateTarget());
        return;
    case PressAction::start: {
        const auto request = dictationRules::startRequest(slot);
        startRecording(request.mode, request.translate, request.holdSlot);
        return;
    }
    }
}

void DictationController::handleRelease(HotkeySlot slot)
{
    // Let go before the credential store answered: too short to be a dictation.
    if (pendingStart_.isReleasedBy(slot)) {
        pendingStart_.drop();
        return;
    }
    if (slot == holdSlot_ && phase_.kind() == DictationPhase::Kind::recording && mode_ == RecordingMode::hold)
        stopRecording();
}

void DictationController::handleOtherKeyWhileHolding()
{
    if (phase_.kind() != DictationPhase::Kind::recording || mode_ != RecordingMode::hold || !startedAt_)
        return;
    // Within the first second it was a shortcut typed with the hold modifier.
    if (secondsSince(*startedAt_) < otherKeyCancelWindowSeconds)
        cancelSession();
}

void DictationController::handleEscape()
{
    pendingStart_.drop();
    if (isBusy())
        cancelSession();
}

void DictationController::handleTranslateTap(Scheduler::TimePoint time)
{
    if (phase_.kind() != DictationPhase::Kind::recording || !startedAt_)
        return;
    // The tap that started together with the recording still counts.
    if (time >= *startedAt_ - translateTapTolerance)
        cycleTranslation();
}

void DictationController::cycleTranslation()
{
    hud_->setTranslation(dictationRules::nextTranslation(deps_.settings.languageCycle(), hud_->translation()));
    playSound(Sound::morse);
}

bool DictationController::startFromCommand()
{
    if (isBusy())
        return false;
    // The stop of a quick tap can overtake its start (two processes race): together
    // they were shorter than a tap and are dropped like one, instead of recording on.
    const bool overtaken = stopWithoutRecording_ && secondsSince(*stopWithoutRecording_) < minimumRecordingSeconds;
    stopWithoutRecording_.reset();
    if (overtaken)
        return false;
    // No key of ours is held: the recording ends only by stopFromCommand, Escape or a
    // toggle press. Its release slot is toggle, whose press already stops a hold
    // recording, so a stray release of the hold key cannot end it.
    startRecording(RecordingMode::hold, false, HotkeySlot::toggle);
    return true;
}

bool DictationController::stopFromCommand()
{
    if (pendingStart_.isWaiting()) {
        // The start is still waiting for its key: together they were a tap.
        pendingStart_.drop();
        return true;
    }
    if (phase_.kind() != DictationPhase::Kind::recording) {
        stopWithoutRecording_ = deps_.scheduler.now();
        return false;
    }
    stopRecording();
    return true;
}

bool DictationController::toggleFromCommand()
{
    const bool acts = phase_.kind() == DictationPhase::Kind::recording || !isBusy();
    toggleFromMenu();
    return acts;
}

bool DictationController::cancelFromCommand()
{
    if (!isBusy() && !pendingStart_.isWaiting())
        return false;
    handleEscape();
    return true;
}

bool DictationController::translateFromCommand()
{
    if (phase_.kind() == DictationPhase::Kind::recording) {
        cycleTranslation();
        return true;
    }
    if (isBusy())
        return false;
    handlePress(HotkeySlot::toggleTranslate);
    return true;
}

void DictationController::toggleFromMenu()
{
    if (phase_.kind() == DictationPhase::Kind::recording) {
        stopRecording();
        return;
    }
    if (isBusy())
        return;
    startRecording(RecordingMode::handsFree, false, HotkeySlot::hold);
}

void DictationController::withAPIKey(
    std::optional<HotkeySlot> releaseSlot, std::function<void(const QString &key)> start, bool keyRequired)
{
    // Read fresh at every start: a key stored, changed or removed since the last one counts.
    pendingStart_.begin(
        releaseSlot,
        [this, keyRequired, start = std::move(start)](const APIKeyRead &read) {
            if (const auto refusal = dictationRules::keyRefusal(read, keyRequired)) {
                refuse(*refusal);
                return;
            }
            start(read.key);
        },
        [this] { refuse(keyStoreSilentMessage); });
}

void DictationController::startRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot)
{
    if (pendingStart_.isWaiting())
        return;
    const std::optional<HotkeySlot> releaseSlot
        = mode == RecordingMode::hold ? std::optional<HotkeySlot>(holdSlot) : std::nullopt;
    withAPIKey(releaseSlot,
        [this, mode, translate, holdSlot](const QString &key) { beginRecording(mode, translate, holdSlot, key); });
}

bool DictationController::microphoneAllowed()
{
    switch (deps_.permissions.microphoneAuthorization()) {
    case MicrophoneAuthorization::notDetermined:
        deps_.permissions.requestMicrophoneAccess();
        refuse(microphoneNotAskedMessage);
        return false;
    case MicrophoneAuthorization::denied:
    case MicrophoneAuthorization::restricted:
        refuse(microphoneDeniedMessage);
        if (deps_.openMicrophoneSettings)
            deps_.openMicrophoneSettings();
        return false;
    case MicrophoneAuthorization::authorized:
        break;
    }
    return true;
}

void DictationController::beginRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot, const QString &apiKey)
{
    if (!microphoneAllowed())
        return;
    DictationHotkeys &hotkeys = deps_.hotkeys;
    prepare(mode, holdSlot, holdSlot == HotkeySlot::holdSend);
    // Accessibility granted since launch: the manager can now observe every key.
    if (!hotkeys.isSuspended() && !hotkeys.hasEventTap() && deps_.permissions.isAccessibilityTrusted())
        hotkeys.install();
    hotkeyBinding_.showHoldKey(mode, holdSlot);
    const AppSettings &settings = deps_.settings;
    if (dictationRules::translatesAtStart(translate, hotkeys.currentModifierFlags(), settings.translateTrigger(),
            settings.holdHotkey(), settings.toggleHotkey()))
        hud_->setTranslation(settings.translateTarget());
    failedAudio_.begin(recordedWith());

    openSession(apiKey);
    apiKey_ = apiKey;
    // As if the user had let go now: what was said so far is still transcribed and pasted.
    auto started = stream_.startMicrophone([this](const QString &description) { stopRecording(description); });
    if (!started) {
        failedAudio_.abandon();
        stream_.drop();
        apiKey_.clear();
        refuse(started.error());
        return;
    }
    startedAt_ = deps_.scheduler.now();
    setPhase(DictationPhase::recording());
    playSound(Sound::tink);
    timer_ = deps_.scheduler.every(elapsedInterval, weakly(this, &DictationController::updateElapsed));
    deps_.panel.show();
}

void DictationController::prepare(RecordingMode mode, HotkeySlot holdSlot, bool autoSend)
{
    hideWork_.cancel();
    pipeline_.abandon(); // a pipeline still running for the previous dictation
    stream_.drop();
    mode_ = mode;
    holdSlot_ = holdSlot;
    autoSend_ = autoSend;
    targetApp_ = deps_.frontmost.current();
    failedAudio_.abandon(); // an earlier dictation's audio is settled by now
    hud_->reset();
    hud_->setMode(mode);
}

void DictationController::openSession(const QString &apiKey)
{
    const AppSettings &settings = deps_.settings;
    stream_.open(
        RecognitionSession::Config{apiKey, settings.normalizedHost(), settings.asrModel(), settings.language()});
}

void DictationController::updateElapsed()
{
    if (startedAt_)
        hud_->setElapsed(secondsSince(*startedAt_));
}

void DictationController::stopRecording(std::optional<QString> endedBy)
{
    if (phase_.kind() != DictationPhase::Kind::recording || !stream_.hasSession())
        return;
    stream_.stopCapture();
    timer_.cancel();
    QString apiKey = std::exchange(apiKey_, {});

    const double duration = startedAt_ ? secondsSince(*startedAt_) : 0;
    const bool tooShort = !startedAt_ || duration < minimumRecordingSeconds;
    if (tooShort && !endedBy) {
        cancelSession(); // an accidental tap leaves no trace
        return;
    }
    if (tooShort || !stream_.heardSpeech()) {
        // Nothing worth transcribing; a lost microphone is still worth saying.
        failedAudio_.abandon();
        stream_.drop();
        if (endedBy)
            showResult(DictationPhase::failed(*endedBy), hideAfter::recognitionFailed);
        else
            showResult(DictationPhase::failed(noSpeechMessage), hideAfter::noSpeech);
        return;
    }
    playSound(Sound::pop);
    setPhase(DictationPhase::transcribing());
    TranscriptPipeline::Capture finished = capture(apiKey);
    finished.seconds = duration;
    finished.translation = hud_->translation();
    finished.style = targetApp_ ? forApp(*targetApp_) : AppStyle::general;
    finished.endedBy = endedBy.value_or(QString());
    finished.recordingId = failedAudio_.recordingId();
    finished.autoSend = autoSend_;
    pipeline_.run(stream_.takeSession(), finished);
}

TranscriptPipeline::Capture DictationController::capture(const QString &apiKey) const
{
    TranscriptPipeline::Capture capture;
    capture.apiKey = apiKey;
    capture.appName = targetApp_ && !targetApp_->name.isEmpty() ? targetApp_->name : unknownAppName;
    return capture;
}

void DictationController::showResult(const DictationPhase &phase, double hideAfter)
{
    setPhase(phase);
    deps_.panel.show();
    hideWork_ = deps_.scheduler.after(seconds(hideAfter), weakly(this, &DictationController::hidePanel));
}

void DictationController::refuse(const QString &message)
{
    showResult(DictationPhase::failed(message), hideAfter::refused);
}

void DictationController::hidePanel()
{
    if (isBusy())
        return; // a new dictation started meanwhile
    endSilently();
}

void DictationController::endSilently()
{
    setPhase(DictationPhase::idle());
    deps_.panel.hide();
}

void DictationController::cancelSession()
{
    pendingStart_.drop();
    if (!isBusy())
        return;
    apiKey_.clear();
    failedAudio_.abandon();
    stream_.stopCapture();
    timer_.cancel();
    pipeline_.abandon();
    stream_.drop();
    endSilently();
}

void DictationController::runEndToEnd(
    const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed)
{
    if (isBusy() || pendingStart_.isWaiting())
        return;
    // A key store that failed is told as in any dictation; only a missing key is this run's own message.
    withAPIKey(
        std::nullopt,
        [this, audioFile, autoSend, translation, speed](
            const QString &key) { beginEndToEnd(audioFile, autoSend, translation, speed, key); },
        false);
}

void DictationController::beginEndToEnd(const QString &audioFile, bool autoSend,
    std::optional<TargetLanguage> translation, double speed, const QString &apiKey)
{
    const auto pcm
        = deps_.loadPCM16 ? deps_.loadPCM16(audioFile) : Expected<QByteArray, QString>(unexpected(QString()));
    if (apiKey.isEmpty() || !pcm) {
        refuse(endToEndInputMessage);
        return;
    }
    prepare(RecordingMode::hold, HotkeySlot::hold, autoSend);
    hud_->setTranslation(translation);
    failedAudio_.begin(recordedWith());

    openSession(apiKey);
    apiKey_ = apiKey;
    startedAt_ = deps_.scheduler.now();
    setPhase(DictationPhase::recording());
    deps_.panel.show();
    stream_.startFile(pcm.value(), speed, [this] { stopRecording(); });
}

bool DictationController::retryRecording(const QString &id)
{
    if (isBusy() || pendingStart_.isWaiting() || !failedAudio_.retryable(id))
        return false;
    withAPIKey(std::nullopt, [this, id](const QString &key) { beginRetry(key, id); });
    return true;
}

void DictationController::beginRetry(const QString &apiKey, const QString &id)
{
    const std::optional<FailedRecording> recording = failedAudio_.retryable(id);
    if (!recording)
        return;
    prepare(RecordingMode::hold, HotkeySlot::hold, false);
    hud_->setTranslation(recording->translation);
    openSession(apiKey);
    if (!stream_.hasSession())
        return;
    setPhase(DictationPhase::transcribing());
    deps_.panel.show();

    TranscriptPipeline::Capture retried = capture(apiKey);
    retried.translation = recording->translation;
    retried.style = recording->style;
    retried.seconds = recording->seconds();
    retried.recordingId = recording->id;
    retried.polish = recording->polish;
    // It arrives faster than spoken: the service may still work through it at speaking pace.
    retried.finishTimeout = finishTimeoutSeconds + recording->seconds();
    stream_.startKept(failedAudio_.audioPath(recording->id), [this, retried](bool readable) {
        if (!readable) {
            failedAudio_.settle(retried.recordingId, FailedAudioPolicy::Outcome::unreadable, {});
            stream_.drop();
            showResult(DictationPhase::failed(keptAudioUnreadableMessage), hideAfter::recognitionFailed);
            return;
        }
        pipeline_.run(stream_.takeSession(), retried);
    });
}

FailedRecording DictationController::recordedWith() const
{
    FailedRecording choices;
    choices.style = targetApp_ ? forApp(*targetApp_) : AppStyle::general;
    choices.translation = hud_->translation();
    choices.polish = deps_.settings.polishEnabled();
    return choices;
}

void DictationController::setPhase(const DictationPhase &phase)
{
    phase_ = phase;
    hud_->setPhase(phase);
    emit phaseChanged(phase_);
}

void DictationController::setLastMessage(std::optional<QString> message)
{
    lastMessage_ = std::move(message);
    emit lastMessageChanged();
}

void DictationController::playSound(Sound sound)
{
    if (deps_.settings.playSounds())
        deps_.sounds.play(sound, soundVolume);
}

double DictationController::secondsSince(Scheduler::TimePoint start) const
{
    return std::chrono::duration<double>(deps_.scheduler.now() - start).count();
}

} // namespace quillo
