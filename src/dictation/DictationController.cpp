#include "dictation/DictationController.h"

#include "common/Weakly.h"
#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"

#include <QPointer>

#include <chrono>
#include <functional>

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
    , input_(
          DictationInput::State{presenter_, take_, startGate_, *hud_, deps_.settings, deps_.hotkeys, deps_.scheduler},
          DictationInput::Actions{
              .start = std::bind_front(&DictationController::startRecording, this),
              .stop = [this] { stopRecording(); },
              .cancel = [this] { cancelSession(); },
              .cycleTranslation = [this] { cycleTranslation(); },
          })
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

void DictationController::cycleTranslation()
{
    hud_->setTranslation(dictationRules::nextTranslation(deps_.settings.languageCycle(), hud_->translation()));
    presenter_.play(Sound::morse);
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
