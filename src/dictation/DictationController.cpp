#include "dictation/DictationController.h"

#include "dictation/AppStyle.h"
#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"

#include <QPointer>

#include <chrono>

namespace quillo {

namespace {

using namespace dictationTexts;
using namespace dictationTimes;

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
    , presenter_(ResultPresenter::Deps{deps_.settings, deps_.scheduler, deps_.sounds, deps_.panel, *hud_,
          [this](const DictationPhase &phase) { emit phaseChanged(phase); }, [this] { emit lastMessageChanged(); }})
    , failedAudio_(deps_.failedRecordings)
    , stream_(RecordingStream::Deps{
          deps_.makeSession, deps_.recorder, deps_.scheduler, deps_.pcm16Level, failedAudio_, *hud_})
    , startGate_(StartGate::Deps{deps_.scheduler, deps_.readAPIKey, deps_.permissions, deps_.openMicrophoneSettings,
          [this](const QString &message) { presenter_.refuse(message); }})
    , pipeline_(TranscriptPipeline::Deps{deps_.settings, deps_.scheduler, deps_.chat, deps_.addHistory,
                    deps_.insertText, deps_.pressReturn, deps_.permissions, failedAudio_},
          TranscriptPipeline::Report{
              .phase = [this](const DictationPhase &phase) { presenter_.setPhase(phase); },
              .result
              = [this](const DictationPhase &phase, double hideAfter) { presenter_.showResult(phase, hideAfter); },
              .note = [this](std::optional<QString> note) { presenter_.setNote(std::move(note)); },
              .ended = [this] { presenter_.end(); },
          })
{
}

DictationController::~DictationController()
{
    if (presenter_.isRecording())
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
    if (startGate_.isWaiting())
        return; // the key is on its way; this press belongs to the start already under way
    const bool recording = presenter_.isRecording();
    if (recording && slot == HotkeySlot::holdSend)
        autoSend_ = true;
    const bool holdKeyDown = deps_.hotkeys.isHeld(HotkeySlot::hold);
    switch (dictationRules::pressAction(slot, phase().kind(), mode_, holdKeyDown)) {
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
    if (startGate_.isReleasedBy(slot)) {
        startGate_.drop();
        return;
    }
    if (slot == holdSlot_ && presenter_.isRecording() && mode_ == RecordingMode::hold)
        stopRecording();
}

void DictationController::handleOtherKeyWhileHolding()
{
    if (!presenter_.isRecording() || mode_ != RecordingMode::hold || !startedAt_)
        return;
    // Within the first second it was a shortcut typed with the hold modifier.
    if (secondsSince(*startedAt_) < otherKeyCancelWindowSeconds)
        cancelSession();
}

void DictationController::handleEscape()
{
    startGate_.drop();
    if (isBusy())
        cancelSession();
}

void DictationController::handleTranslateTap(Scheduler::TimePoint time)
{
    if (!presenter_.isRecording() || !startedAt_)
        return;
    // The tap that started together with the recording still counts.
    if (time >= *startedAt_ - translateTapTolerance)
        cycleTranslation();
}

void DictationController::cycleTranslation()
{
    hud_->setTranslation(dictationRules::nextTranslation(deps_.settings.languageCycle(), hud_->translation()));
    presenter_.play(Sound::morse);
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
    if (startGate_.isWaiting()) {
        // The start is still waiting for its key: together they were a tap.
        startGate_.drop();
        return true;
    }
    if (!presenter_.isRecording()) {
        stopWithoutRecording_ = deps_.scheduler.now();
        return false;
    }
    stopRecording();
    return true;
}

bool DictationController::toggleFromCommand()
{
    const bool acts = presenter_.isRecording() || !isBusy();
    toggleFromMenu();
    return acts;
}

bool DictationController::cancelFromCommand()
{
    if (!isBusy() && !startGate_.isWaiting())
        return false;
    handleEscape();
    return true;
}

bool DictationController::translateFromCommand()
{
    if (presenter_.isRecording()) {
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
    if (presenter_.isRecording()) {
        stopRecording();
        return;
    }
    if (isBusy())
        return;
    startRecording(RecordingMode::handsFree, false, HotkeySlot::hold);
}

void DictationController::startRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot)
{
    if (startGate_.isWaiting())
        return;
    const std::optional<HotkeySlot> releaseSlot
        = mode == RecordingMode::hold ? std::optional<HotkeySlot>(holdSlot) : std::nullopt;
    Take take;
    take.mode = mode;
    take.holdSlot = holdSlot;
    take.autoSend = holdSlot == HotkeySlot::holdSend;
    take.translate = translate;
    startGate_.withAPIKey(releaseSlot, [this, take](const QString &key) { beginRecording(take, key); });
}

void DictationController::beginRecording(const Take &take, const QString &apiKey)
{
    if (startGate_.microphoneAllowed())
        begin(take, AudioFeed::microphone(), apiKey);
}

void DictationController::runEndToEnd(
    const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed)
{
    if (isBusy() || startGate_.isWaiting())
        return;
    Take take;
    take.autoSend = autoSend;
    take.translation = translation;
    // A key store that failed is told as in any dictation; only a missing key is this run's own message.
    startGate_.withAPIKey(
        std::nullopt,
        [this, audioFile, take, speed](const QString &key) { beginEndToEnd(audioFile, take, speed, key); }, false);
}

void DictationController::beginEndToEnd(const QString &audioFile, Take take, double speed, const QString &apiKey)
{
    auto pcm = deps_.loadPCM16 ? deps_.loadPCM16(audioFile) : Expected<QByteArray, QString>(unexpected(QString()));
    if (apiKey.isEmpty() || !pcm) {
        presenter_.refuse(endToEndInputMessage);
        return;
    }
    begin(take, AudioFeed::file(std::move(pcm.value()), speed), apiKey);
}

bool DictationController::retryLastRecording()
{
    if (isBusy() || startGate_.isWaiting() || !failedAudio_.canRetry())
        return false;
    startGate_.withAPIKey(std::nullopt, [this](const QString &key) { beginRetry(key); });
    return true;
}

void DictationController::beginRetry(const QString &apiKey)
{
    std::optional<FailedRecording> recording = failedAudio_.retryable();
    if (!recording)
        return;
    const AudioFeed feed = AudioFeed::kept(recording->pcm);
    begin(Take{.translation = recording->translation, .retried = std::move(recording)}, feed, apiKey);
}

void DictationController::begin(const Take &take, const AudioFeed &feed, const QString &apiKey)
{
    prepare(take);
    if (feed.isMicrophone())
        hotkeyBinding_.armForRecording(
            take.mode, take.holdSlot, take.translate, deps_.permissions.isAccessibilityTrusted());
    const AppSettings &settings = deps_.settings;
    stream_.open(
        RecognitionSession::Config{apiKey, settings.normalizedHost(), settings.asrModel(), settings.language()});
    const AudioFeed::OnEnd ended = [this](std::optional<QString> endedBy) { stopRecording(std::move(endedBy)); };
    const auto opened = feed.open(stream_, ended);
    if (!opened) {
        stream_.drop();
        if (!opened.error().isEmpty())
            presenter_.refuse(opened.error());
        return;
    }
    if (take.retried) {
        transcribeAtOnce(*take.retried, apiKey);
        return;
    }
    apiKey_ = apiKey;
    startedAt_ = deps_.scheduler.now();
    presenter_.show(DictationPhase::recording());
    if (feed.isMicrophone()) {
        presenter_.play(Sound::tink);
        timer_ = deps_.scheduler.every(elapsedInterval, weakly(this, &DictationController::updateElapsed));
    }
    feed.play(stream_, ended);
}

void DictationController::prepare(const Take &take)
{
    presenter_.keepPanel();
    pipeline_.abandon(); // a pipeline still running for the previous dictation
    stream_.drop();
    mode_ = take.mode;
    holdSlot_ = take.holdSlot;
    autoSend_ = take.autoSend;
    targetApp_ = deps_.frontmost.current();
    failedAudio_.begin();
    hud_->reset();
    hud_->setMode(take.mode);
    hud_->setTranslation(take.translation);
}

void DictationController::transcribeAtOnce(const FailedRecording &recording, const QString &apiKey)
{
    presenter_.show(DictationPhase::transcribing());
    TranscriptPipeline::Capture retried = capture(apiKey);
    retried.translation = recording.translation;
    retried.style = recording.style;
    retried.seconds = recording.seconds();
    retried.audio = recording.pcm;
    retried.polish = recording.polish;
    // All of it arrives at once: the service may still work through it at speaking pace.
    retried.finishTimeout = finishTimeoutSeconds + recording.seconds();
    pipeline_.run(stream_.takeSession(), retried);
}

void DictationController::updateElapsed()
{
    if (startedAt_)
        hud_->setElapsed(secondsSince(*startedAt_));
}

void DictationController::stopRecording(std::optional<QString> endedBy)
{
    if (!presenter_.isRecording() || !stream_.hasSession())
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
        stream_.drop();
        if (endedBy)
            presenter_.showResult(DictationPhase::failed(*endedBy), hideAfter::recognitionFailed);
        else
            presenter_.showResult(DictationPhase::failed(noSpeechMessage), hideAfter::noSpeech);
        return;
    }
    presenter_.play(Sound::pop);
    presenter_.setPhase(DictationPhase::transcribing());
    TranscriptPipeline::Capture finished = capture(apiKey);
    finished.seconds = duration;
    finished.translation = hud_->translation();
    finished.style = targetApp_ ? forApp(*targetApp_) : AppStyle::general;
    finished.endedBy = endedBy.value_or(QString());
    finished.audio = failedAudio_.take();
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

void DictationController::cancelSession()
{
    startGate_.drop();
    if (!isBusy())
        return;
    apiKey_.clear();
    failedAudio_.abandon();
    stream_.stopCapture();
    timer_.cancel();
    pipeline_.abandon();
    stream_.drop();
    presenter_.end();
}

double DictationController::secondsSince(Scheduler::TimePoint start) const
{
    return std::chrono::duration<double>(deps_.scheduler.now() - start).count();
}

} // namespace quillo
