#include "dictation/DictationController.h"

#include "common/Weakly.h"
#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"

#include <QPointer>

#include <chrono>

namespace quillo {

using namespace dictationTexts;
using namespace dictationTimes;

DictationController::DictationController(Deps deps, QObject *parent)
    : QObject(parent)
    , deps_(std::move(deps))
    , hud_(new HUDModel(this))
    , hotkeyBinding_(deps_.hotkeys, deps_.settings, *hud_)
    , presenter_(ResultPresenter::Deps{deps_.settings, deps_.scheduler, deps_.sounds, deps_.panel, *hud_,
          [this](const DictationPhase &phase) {
              timings_.phaseChanged(phase.kind(), deps_.scheduler.now());
              emit phaseChanged(phase);
          },
          [this] { emit lastMessageChanged(); }})
    , failedAudio_(deps_.failedRecordings)
    , stream_(RecordingStream::Deps{deps_.makeSession, deps_.recorder, deps_.scheduler, deps_.pcm16Level, failedAudio_,
          *hud_, [this] { timings_.mark(DictationTimings::Stage::firstAudio, deps_.scheduler.now()); }})
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
              .reached = [this](DictationTimings::Stage stage) { timings_.mark(stage, deps_.scheduler.now()); },
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
        take_.autoSend = true;
    const bool holdKeyDown = deps_.hotkeys.isHeld(HotkeySlot::hold);
    switch (dictationRules::pressAction(slot, phase().kind(), take_.mode, holdKeyDown)) {
    case PressAction::ignore:
        return;
    case PressAction::stop:
        stopRecording();
        return;
    case PressAction::continueHandsFree:
        take_.mode = RecordingMode::handsFree;
        hud_->setMode(take_.mode);
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
    if (slot == take_.holdSlot && presenter_.isRecording() && take_.mode == RecordingMode::hold)
        stopRecording();
}

void DictationController::handleOtherKeyWhileHolding()
{
    if (!presenter_.isRecording() || take_.mode != RecordingMode::hold || !take_.startedAt)
        return;
    // Within the first second it was a shortcut typed with the hold modifier.
    if (secondsSince(*take_.startedAt) < otherKeyCancelWindowSeconds)
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
    if (!presenter_.isRecording() || !take_.startedAt)
        return;
    // The tap that started together with the recording still counts.
    if (time >= *take_.startedAt - translateTapTolerance)
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
    if (startGate_.overtakenByStop())
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
        startGate_.stopArrivedFirst();
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
    const DictationTake take = DictationTake::fromMicrophone(mode, holdSlot, translate);
    timings_.begin(deps_.scheduler.now());
    startGate_.withAPIKey(releaseSlot, [this, take](const QString &key) {
        if (startGate_.microphoneAllowed())
            begin(take, AudioFeed::microphone(), key);
    });
}

void DictationController::runEndToEnd(
    const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed)
{
    if (isBusy() || startGate_.isWaiting())
        return;
    const DictationTake take = DictationTake::fromFile(autoSend, translation);
    timings_.begin(deps_.scheduler.now());
    // A key store that failed is told as in any dictation; only a missing key is this run's own message.
    startGate_.withAPIKey(
        std::nullopt,
        [this, audioFile, take, speed](const QString &key) { beginEndToEnd(audioFile, take, speed, key); }, false);
}

void DictationController::beginEndToEnd(
    const QString &audioFile, DictationTake take, double speed, const QString &apiKey)
{
    auto pcm = deps_.loadPCM16 ? deps_.loadPCM16(audioFile) : Expected<QByteArray, QString>(unexpected(QString()));
    if (apiKey.isEmpty() || !pcm) {
        presenter_.refuse(endToEndInputMessage);
        return;
    }
    begin(take, AudioFeed::file(std::move(pcm.value()), speed), apiKey);
}

bool DictationController::retryRecording(const QString &id)
{
    if (isBusy() || startGate_.isWaiting() || !failedAudio_.retryable(id))
        return false;
    timings_.begin(deps_.scheduler.now());
    startGate_.withAPIKey(std::nullopt, [this, id](const QString &key) { beginRetry(key, id); });
    return true;
}

void DictationController::beginRetry(const QString &apiKey, const QString &id)
{
    const std::optional<FailedRecording> recording = failedAudio_.retryable(id);
    if (!recording)
        return;
    begin(DictationTake::retrying(*recording), AudioFeed::kept(failedAudio_.audioPath(recording->id)), apiKey);
}

void DictationController::begin(const DictationTake &take, const AudioFeed &feed, const QString &apiKey)
{
    prepare(take);
    if (feed.isMicrophone())
        hotkeyBinding_.armForRecording(take.mode, take.holdSlot, take.translate, deps_.permissions);
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
    take_.apiKey = apiKey;
    if (take.retried) {
        presenter_.show(DictationPhase::transcribing());
        feed.play(stream_, [this](std::optional<QString> unreadable) { transcribeKept(std::move(unreadable)); });
        return;
    }
    failedAudio_.begin(take_.recordedWith(hud_->translation(), deps_.settings.polishEnabled()));
    take_.startedAt = deps_.scheduler.now();
    presenter_.showRecording(*take_.startedAt, feed.isMicrophone());
    feed.play(stream_, ended);
}

void DictationController::prepare(const DictationTake &take)
{
    presenter_.keepPanel();
    pipeline_.abandon(); // a pipeline still running for the previous dictation
    stream_.drop();
    take_ = take;
    take_.targetApp = deps_.frontmost.current();
    failedAudio_.abandon(); // an earlier dictation's audio is settled by now
    hud_->reset();
    hud_->setMode(take.mode);
    hud_->setTranslation(take.translation);
}

void DictationController::transcribeKept(std::optional<QString> unreadable)
{
    if (unreadable && take_.retried) {
        failedAudio_.settle(take_.retried->id, FailedAudioPolicy::Outcome::unreadable, {});
        take_.apiKey.clear();
        stream_.drop();
        presenter_.showResult(DictationPhase::failed(*unreadable), hideAfter::recognitionFailed);
        return;
    }
    pipeline_.run(stream_.takeSession(), take_.retry());
}

void DictationController::stopRecording(std::optional<QString> endedBy)
{
    if (!presenter_.isRecording() || !stream_.hasSession())
        return;
    stream_.stopCapture();
    presenter_.stopClock();
    const double duration = take_.startedAt ? secondsSince(*take_.startedAt) : 0;
    const bool tooShort = !take_.startedAt || duration < minimumRecordingSeconds;
    if (tooShort && !endedBy) {
        cancelSession(); // an accidental tap leaves no trace
        return;
    }
    if (tooShort || !stream_.heardSpeech()) {
        // Nothing worth transcribing; a lost microphone is still worth saying.
        take_.apiKey.clear();
        failedAudio_.abandon();
        stream_.drop();
        if (endedBy)
            presenter_.showResult(DictationPhase::failed(*endedBy), hideAfter::recognitionFailed);
        else
            presenter_.showResult(DictationPhase::failed(noSpeechMessage), hideAfter::noSpeech);
        return;
    }
    presenter_.play(Sound::pop);
    presenter_.setPhase(DictationPhase::transcribing());
    pipeline_.run(stream_.takeSession(),
        take_.finished(duration, hud_->translation(), endedBy.value_or(QString()), failedAudio_.recordingId()));
}

void DictationController::cancelSession()
{
    startGate_.drop();
    if (!isBusy())
        return;
    take_.apiKey.clear();
    failedAudio_.abandon();
    stream_.stopCapture();
    presenter_.stopClock();
    pipeline_.abandon();
    stream_.drop();
    presenter_.end();
}

double DictationController::secondsSince(Scheduler::TimePoint start) const
{
    return std::chrono::duration<double>(deps_.scheduler.now() - start).count();
}

} // namespace quillo
