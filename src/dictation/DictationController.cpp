#include "dictation/DictationController.h"

#include "dictation/AppStyle.h"
#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"
#include "hotkeys/KeyNames.h"
#include "recognition/Segments.h"
#include "refinement/TextRules.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QPointer>
#include <QUuid>

#include <chrono>

namespace quillo {

namespace {

using namespace dictationTexts;
using namespace dictationTimes;

Scheduler::Duration seconds(double s)
{
    return std::chrono::round<Scheduler::Duration>(std::chrono::duration<double>(s));
}

QString keyName(const std::optional<Hotkey> &hotkey)
{
    return hotkey ? keyNames::name(*hotkey) : unsetKeyName();
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

bool isEmptyOrFiller(const QString &text)
{
    return text.isEmpty() || isFillerSegment(text);
}

} // namespace

DictationController::DictationController(Deps deps, QObject *parent)
    : QObject(parent)
    , deps_(std::move(deps))
    , hud_(new HUDModel(this))
{
}

DictationController::~DictationController()
{
    if (phase_.kind() == DictationPhase::Kind::recording)
        deps_.recorder.stop();
    ++pipeline_;
    dropSession();
}

void DictationController::bindHotkeys()
{
    if (hotkeysBound_)
        return;
    hotkeysBound_ = true;
    DictationHotkeys::Callbacks callbacks;
    callbacks.onPress = weakly(this, &DictationController::handlePress);
    callbacks.onRelease = weakly(this, &DictationController::handleRelease);
    callbacks.onOtherKeyWhileHolding = weakly(this, &DictationController::handleOtherKeyWhileHolding);
    callbacks.onEscape = weakly(this, &DictationController::handleEscape);
    callbacks.shouldInterceptEscape = [self = QPointer<DictationController>(this)] { return self && self->isBusy(); };
    callbacks.onTranslateTap = weakly(this, &DictationController::handleTranslateTap);
    deps_.hotkeys.setCallbacks(std::move(callbacks));

    AppSettings &settings = deps_.settings;
    connect(&settings, &AppSettings::holdHotkeyChanged, this, &DictationController::applyHotkeySettings);
    connect(&settings, &AppSettings::toggleHotkeyChanged, this, &DictationController::applyHotkeySettings);
    connect(&settings, &AppSettings::translateTriggerChanged, this, &DictationController::applyHotkeySettings);
    applyHotkeySettings();
}

void DictationController::applyHotkeySettings()
{
    const AppSettings &settings = deps_.settings;
    const TranslateTrigger trigger = settings.translateTrigger();
    deps_.hotkeys.configure(settings.holdHotkey(), settings.toggleHotkey(), holdSendHotkey, trigger);
    hud_->setHoldKeyName(keyName(settings.holdHotkey()));
    hud_->setToggleKeyName(keyName(settings.toggleHotkey()));
    hud_->setTranslateKeyName(keyNames::modifierName(modifierFlagOf(trigger)));
}

void DictationController::handlePress(HotkeySlot slot)
{
    using dictationRules::PressAction;
    if (pendingStart_)
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
    if (pendingStart_ && pendingStart_->releaseSlot == slot) {
        dropPendingStart();
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
    dropPendingStart();
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
    if (pendingStart_) {
        // The start is still waiting for its key: together they were a tap.
        dropPendingStart();
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
    if (!isBusy() && !pendingStart_)
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
    std::optional<HotkeySlot> releaseSlot, std::function<void(const APIKeyRead &)> start)
{
    const std::uint64_t id = ++nextStartId_;
    pendingStart_ = PendingStart{id, releaseSlot};
    timings_.begin(deps_.scheduler.now());
    const QPointer<DictationController> self(this);
    const auto stillWaiting = [self, id] { return self && self->pendingStart_ && self->pendingStart_->id == id; };
    // A store that never answers must not leave the key press hanging.
    keyDeadline_ = deps_.scheduler.after(keyReadTimeout, [self, stillWaiting] {
        if (!stillWaiting())
            return;
        self->pendingStart_.reset();
        self->showResult(DictationPhase::failed(keyStoreSilentMessage), hideAfter::refused);
    });
    // Read fresh at every start: a key stored, changed or removed since the last one counts.
    deps_.readAPIKey([self, stillWaiting, start = std::move(start)](const APIKeyRead &read) {
        if (!stillWaiting())
            return; // given up, cancelled or released meanwhile
        self->pendingStart_.reset();
        self->keyDeadline_.cancel();
        start(read);
    });
}

void DictationController::dropPendingStart()
{
    pendingStart_.reset();
    keyDeadline_.cancel();
}

void DictationController::startRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot)
{
    if (pendingStart_)
        return;
    const std::optional<HotkeySlot> releaseSlot
        = mode == RecordingMode::hold ? std::optional<HotkeySlot>(holdSlot) : std::nullopt;
    withAPIKey(releaseSlot, [this, mode, translate, holdSlot](const APIKeyRead &read) {
        if (!keyCanStart(read))
            return;
        beginRecording(mode, translate, holdSlot, read.key);
    });
}

void DictationController::beginRecording(RecordingMode mode, bool translate, HotkeySlot holdSlot, const QString &apiKey)
{
    switch (deps_.permissions.microphoneAuthorization()) {
    case MicrophoneAuthorization::notDetermined:
        deps_.permissions.requestMicrophoneAccess();
        showResult(DictationPhase::failed(microphoneNotAskedMessage), hideAfter::refused);
        return;
    case MicrophoneAuthorization::denied:
    case MicrophoneAuthorization::restricted:
        showResult(DictationPhase::failed(microphoneDeniedMessage), hideAfter::refused);
        if (deps_.openMicrophoneSettings)
            deps_.openMicrophoneSettings();
        return;
    case MicrophoneAuthorization::authorized:
        break;
    }

    DictationHotkeys &hotkeys = deps_.hotkeys;
    prepare(mode, holdSlot, holdSlot == HotkeySlot::holdSend);
    // Accessibility granted since launch: the manager can now observe every key.
    if (!hotkeys.isSuspended() && !hotkeys.hasEventTap() && deps_.permissions.isAccessibilityTrusted())
        hotkeys.install();
    if (holdSlot == HotkeySlot::holdSend)
        hud_->setHoldKeyName(keyNames::name(holdSendHotkey));
    else if (mode == RecordingMode::hold && holdSlot == HotkeySlot::toggle)
        hud_->setHoldKeyName(commandKeyName()); // started from the command line: no key of ours is held
    else
        hud_->setHoldKeyName(keyName(deps_.settings.holdHotkey()));
    const std::uint64_t triggerMask = modifierFlagOf(deps_.settings.translateTrigger());
    const bool triggerHeld = (hotkeys.currentModifierFlags() & triggerMask) != 0;
    const bool partOfHotkey = dictationRules::triggerIsPartOfHotkey(
        deps_.settings.translateTrigger(), deps_.settings.holdHotkey(), deps_.settings.toggleHotkey());
    if (translate || (triggerHeld && !partOfHotkey))
        hud_->setTranslation(deps_.settings.translateTarget());

    openSession(apiKey);
    apiKey_ = apiKey;
    gate_.reset();
    const std::uint64_t recording = ++recording_;
    const QPointer<DictationController> self(this);
    // Both callbacks come on the audio thread: hop to the main thread; the controller is checked there.
    auto onChunk = [self, recording](const QByteArray &data, float level) {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [self, recording, data, level] {
                if (self)
                    self->handleAudioChunk(recording, data, level);
            },
            Qt::QueuedConnection);
    };
    auto onLost = [self, recording](const QString &description) {
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        // Queued behind the chunks posted before it, so none of them is dropped.
        QMetaObject::invokeMethod(
            app,
            [self, recording, description] {
                if (self)
                    self->handleRecorderLost(recording, description);
            },
            Qt::QueuedConnection);
    };
    auto started = deps_.recorder.start(std::move(onChunk), std::move(onLost));
    if (!started) {
        dropSession();
        apiKey_.clear();
        showResult(DictationPhase::failed(started.error()), hideAfter::refused);
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
    ++pipeline_; // abandons a pipeline still running for the previous dictation
    dropSession();
    mode_ = mode;
    holdSlot_ = holdSlot;
    autoSend_ = autoSend;
    targetApp_ = deps_.frontmost.current();
    sent_ = {};
    sentTooLong_ = false;
    hud_->reset();
    hud_->setMode(mode);
}

void DictationController::openSession(const QString &apiKey)
{
    const AppSettings &settings = deps_.settings;
    asr_ = deps_.makeSession(
        RecognitionSession::Config{apiKey, settings.normalizedHost(), settings.asrModel(), settings.language()});
    if (!asr_)
        return;
    const std::uint64_t id = ++session_;
    asr_->onPartial = [self = QPointer<DictationController>(this), id](const QString &text) {
        // A session replaced meanwhile must not write into the next dictation's panel.
        if (self && self->asr_ && self->session_ == id)
            self->hud_->setPartial(text);
    };
    asr_->connect();
}

void DictationController::handleAudioChunk(std::uint64_t recording, const QByteArray &data, float level)
{
    if (recording != recording_ || !asr_ || phase_.kind() != DictationPhase::Kind::recording)
        return;
    feed(data, level);
}

void DictationController::handleRecorderLost(std::uint64_t recording, const QString &description)
{
    if (recording != recording_ || phase_.kind() != DictationPhase::Kind::recording)
        return;
    // As if the user had let go now: what was said so far is still transcribed and pasted.
    stopRecording(description);
}

void DictationController::feed(const QByteArray &data, float level)
{
    if (!asr_)
        return;
    timings_.mark(DictationTimings::Stage::firstAudio, deps_.scheduler.now());
    for (const QByteArray &chunk : gate_.process(data, level)) {
        asr_->sendAudio(chunk);
        rememberSent(chunk);
    }
    hud_->pushLevel(level);
}

void DictationController::rememberSent(const QByteArray &chunk)
{
    if (!deps_.failedRecordings || sentTooLong_)
        return;
    // Too long to keep: rather no retry than a retry of a cut-off dictation.
    if (sent_.size() + chunk.size() > FailedRecordingStore::maxBytes) {
        sentTooLong_ = true;
        sent_ = {};
        return;
    }
    sent_.append(chunk);
}

void DictationController::updateElapsed()
{
    if (startedAt_)
        hud_->setElapsed(secondsSince(*startedAt_));
}

void DictationController::stopRecording(std::optional<QString> endedBy)
{
    if (phase_.kind() != DictationPhase::Kind::recording || !asr_)
        return;
    deps_.recorder.stop();
    timer_.cancel();
    filePlayer_.reset();
    QString apiKey = std::exchange(apiKey_, {});

    const double duration = startedAt_ ? secondsSince(*startedAt_) : 0;
    const bool tooShort = !startedAt_ || duration < minimumRecordingSeconds;
    if (tooShort && !endedBy) {
        cancelSession(); // an accidental tap leaves no trace
        return;
    }
    if (tooShort || !gate_.isOpen()) {
        // Nothing worth transcribing; a lost microphone is still worth saying.
        dropSession();
        if (endedBy)
            showResult(DictationPhase::failed(*endedBy), hideAfter::recognitionFailed);
        else
            showResult(DictationPhase::failed(noSpeechMessage), hideAfter::noSpeech);
        return;
    }
    playSound(Sound::pop);
    setPhase(DictationPhase::transcribing());

    Capture capture;
    capture.apiKey = std::move(apiKey);
    capture.translation = hud_->translation();
    capture.style = targetApp_ ? forApp(*targetApp_) : AppStyle::general;
    capture.appName = targetApp_ && !targetApp_->name.isEmpty() ? targetApp_->name : unknownAppName;
    capture.seconds = duration;
    capture.endedBy = endedBy.value_or(QString());
    capture.audio = std::exchange(sent_, {});
    ++pipeline_;
    processTranscript(asr_, capture);
}

void DictationController::processTranscript(std::shared_ptr<RecognitionSession> session, const Capture &capture)
{
    const QPointer<DictationController> self(this);
    const std::uint64_t pipeline = pipeline_;
    session->finish(capture.finishTimeout, [self, pipeline, capture](RecognitionSession::FinishResult result) {
        // Stale when the dictation was cancelled or another one started: such a
        // result neither touches the current session nor shows anything.
        if (!self || !self->isCurrent(pipeline))
            return;
        self->asr_.reset();
        if (!result) {
            if (result.error().isCancellation()) {
                // Abandoned from outside: end silently, but never stay busy.
                self->setPhase(DictationPhase::idle());
                self->deps_.panel.hide();
                return;
            }
            // Network, time-out, key or service: the words spoken would be gone.
            self->keepFailedAudio(capture);
            self->showResult(DictationPhase::failed(result.error().description()), hideAfter::recognitionFailed);
            return;
        }
        self->timings_.mark(DictationTimings::Stage::transcript, self->deps_.scheduler.now());
        const QString raw = result.value().trimmed();
        if (isEmptyOrFiller(raw)) {
            // The gate heard speech, so an empty answer is most likely the connection's fault.
            self->keepFailedAudio(capture);
            if (!capture.endedBy.isEmpty())
                self->showResult(DictationPhase::failed(capture.endedBy), hideAfter::recognitionFailed);
            else
                self->showResult(DictationPhase::failed(noValidSpeechMessage), hideAfter::noSpeech);
            return;
        }
        self->refine(raw, capture);
    });
}

void DictationController::refine(const QString &raw, const Capture &capture)
{
    const AppSettings &settings = deps_.settings;
    const bool polish = capture.polish.value_or(settings.polishEnabled());
    if (!capture.translation && !polish) {
        deliverText(raw, RefinementOutcome{raw, std::nullopt}, capture);
        return;
    }
    setPhase(DictationPhase::polishing());
    RefinementRequest request;
    request.transcript = raw;
    request.style = capture.style;
    request.vocabulary = settings.vocabularyTerms();
    request.apiKey = capture.apiKey;
    request.host = settings.normalizedHost();
    request.model = capture.translation ? settings.translateModel() : settings.polishModel();

    const QPointer<DictationController> self(this);
    const std::uint64_t pipeline = pipeline_;
    auto done = [self, pipeline, raw, capture](RefinementOutcome outcome) {
        if (!self || !self->isCurrent(pipeline))
            return;
        self->timings_.mark(DictationTimings::Stage::chatAnswer, self->deps_.scheduler.now());
        self->deliverText(raw, outcome, capture);
    };
    if (capture.translation) {
        refinementFlow::translate(
            deps_.chat, request, *capture.translation, [self, pipeline] { return self && self->isCurrent(pipeline); },
            std::move(done));
        return;
    }
    refinementFlow::polish(deps_.chat, request, std::move(done));
}

void DictationController::deliverText(const QString &raw, const RefinementOutcome &outcome, const Capture &capture)
{
    if (isEmptyOrFiller(outcome.text)) {
        showResult(DictationPhase::failed(noValidSpeechMessage), hideAfter::noSpeech);
        return;
    }
    const QString final = stripTrailingPeriod(outcome.text);
    const bool trusted = deps_.permissions.isAccessibilityTrusted();
    const bool restore = deps_.settings.restoreClipboard() && trusted;

    HistoryEntry entry;
    entry.id = QUuid::createUuid();
    entry.date = HistoryEntry::dateFrom(deps_.scheduler.wallNow());
    entry.raw = raw;
    entry.text = final;
    entry.appName = capture.appName;
    entry.seconds = capture.seconds;
    if (capture.translation)
        entry.language = rawValue(*capture.translation);
    // Kept whether or not the paste goes through: the text is not lost.
    if (deps_.addHistory)
        deps_.addHistory(entry);
    dropFailedAudio(); // this dictation's words arrived; an older failure's audio is not needed now
    if (outcome.note)
        setLastMessage(outcome.note);
    else
        setLastMessage(capture.endedBy.isEmpty() ? std::nullopt : std::optional<QString>(capture.endedBy));

    const QPointer<DictationController> self(this);
    const std::uint64_t pipeline = pipeline_;
    deps_.insertText(final, restore, [self, pipeline, final, endedBy = capture.endedBy](InsertOutcome inserted) {
        if (self && self->isCurrent(pipeline))
            self->presentInsertion(inserted, final, endedBy);
    });
}

void DictationController::presentInsertion(InsertOutcome inserted, const QString &final, const QString &endedBy)
{
    timings_.mark(DictationTimings::Stage::inserted, deps_.scheduler.now());
    if (inserted == InsertOutcome::pasted && autoSend_) {
        // Timed from the keystroke itself: the paste may first wait for held modifiers.
        returnWork_ = deps_.scheduler.after(autoSendDelay, [self = QPointer<DictationController>(this)] {
            if (self && self->deps_.pressReturn)
                self->deps_.pressReturn();
        });
    }
    if (inserted == InsertOutcome::clipboardFailed) {
        // Nothing reached the clipboard: asking for ⌘V would paste something else.
        showResult(DictationPhase::failed(clipboardFailedMessage), hideAfter::notPasted);
        return;
    }
    if (inserted == InsertOutcome::copiedOnly) {
        // Nothing here can paste into that window; nothing to grant either.
        showResult(DictationPhase::failed(copiedOnlyMessage), hideAfter::notPasted);
        return;
    }
    if (inserted == InsertOutcome::notTrusted) {
        showResult(DictationPhase::failed(notPastedMessage), hideAfter::notPasted);
        deps_.permissions.promptForAccessibility();
        return;
    }
    if (!endedBy.isEmpty()) {
        // The text is in place; the panel says why the recording stopped short.
        showResult(DictationPhase::failed(endedBy), hideAfter::recognitionFailed);
        return;
    }
    showResult(DictationPhase::done(final), hideAfter::done);
}

void DictationController::showResult(const DictationPhase &phase, double hideAfter)
{
    setPhase(phase);
    deps_.panel.show();
    hideWork_ = deps_.scheduler.after(seconds(hideAfter), weakly(this, &DictationController::hidePanel));
}

void DictationController::hidePanel()
{
    if (isBusy())
        return; // a new dictation started meanwhile
    setPhase(DictationPhase::idle());
    deps_.panel.hide();
}

void DictationController::cancelSession()
{
    dropPendingStart();
    if (!isBusy())
        return;
    apiKey_.clear();
    sent_ = {}; // the user dropped this dictation: nothing of it is kept
    deps_.recorder.stop();
    timer_.cancel();
    filePlayer_.reset();
    // First mark the pipeline stale: cancelling the session may report at once.
    ++pipeline_;
    dropSession();
    setPhase(DictationPhase::idle());
    deps_.panel.hide();
}

void DictationController::runEndToEnd(
    const QString &audioFile, bool autoSend, std::optional<TargetLanguage> translation, double speed)
{
    if (isBusy() || pendingStart_)
        return;
    withAPIKey(std::nullopt, [this, audioFile, autoSend, translation, speed](const APIKeyRead &read) {
        // A key store that failed is told as in any dictation; only a missing key is this run's own message.
        if (read.storeFailed) {
            keyCanStart(read);
            return;
        }
        beginEndToEnd(audioFile, autoSend, translation, speed, read.key);
    });
}

void DictationController::beginEndToEnd(const QString &audioFile, bool autoSend,
    std::optional<TargetLanguage> translation, double speed, const QString &apiKey)
{
    const auto pcm
        = deps_.loadPCM16 ? deps_.loadPCM16(audioFile) : Expected<QByteArray, QString>(unexpected(QString()));
    if (apiKey.isEmpty() || !pcm) {
        showResult(DictationPhase::failed(endToEndInputMessage), hideAfter::refused);
        return;
    }
    prepare(RecordingMode::hold, HotkeySlot::hold, autoSend);
    hud_->setTranslation(translation);

    gate_.reset();
    openSession(apiKey);
    apiKey_ = apiKey;
    const std::uint64_t recording = ++recording_;
    startedAt_ = deps_.scheduler.now();
    setPhase(DictationPhase::recording());
    deps_.panel.show();
    const auto onChunk = [this, recording](const QByteArray &chunk) {
        // Stale once this recording ended, was cancelled or another one started.
        if (recording != recording_ || phase_.kind() != DictationPhase::Kind::recording)
            return false;
        feed(chunk, deps_.pcm16Level ? deps_.pcm16Level(chunk) : 0.0f);
        return true;
    };
    // The player belongs to the controller: its callbacks cannot outlive it.
    filePlayer_ = std::make_unique<PcmFilePlayer>(deps_.scheduler, pcm.value(), speed, onChunk, [this, recording] {
        if (recording == recording_)
            stopRecording();
    });
    filePlayer_->start();
}

bool DictationController::keyCanStart(const APIKeyRead &read)
{
    if (read.storeFailed) {
        showResult(DictationPhase::failed(read.storeTimedOut ? keyStoreSilentMessage : keyStoreUnavailableMessage),
            hideAfter::refused);
        return false;
    }
    if (read.key.isEmpty()) {
        showResult(DictationPhase::failed(noApiKeyMessage), hideAfter::refused);
        return false;
    }
    return true;
}

bool DictationController::retryLastRecording()
{
    if (isBusy() || pendingStart_ || !deps_.failedRecordings || !deps_.failedRecordings->current())
        return false;
    withAPIKey(std::nullopt, [this](const APIKeyRead &read) {
        if (!keyCanStart(read))
            return;
        beginRetry(read.key);
    });
    return true;
}

void DictationController::beginRetry(const QString &apiKey)
{
    if (!deps_.failedRecordings->current())
        return;
    const FailedRecording recording = *deps_.failedRecordings->current();
    prepare(RecordingMode::hold, HotkeySlot::hold, false);
    hud_->setTranslation(recording.translation);
    openSession(apiKey);
    if (!asr_)
        return;
    // These are the bytes the gate let through the first time: sent as they are.
    for (qsizetype at = 0; at < recording.pcm.size(); at += PcmFilePlayer::chunkBytes)
        asr_->sendAudio(recording.pcm.mid(at, PcmFilePlayer::chunkBytes));
    setPhase(DictationPhase::transcribing());
    deps_.panel.show();

    Capture capture;
    capture.apiKey = apiKey;
    capture.translation = recording.translation;
    capture.style = recording.style;
    capture.appName = targetApp_ && !targetApp_->name.isEmpty() ? targetApp_->name : unknownAppName;
    capture.seconds = recording.seconds();
    capture.audio = recording.pcm;
    capture.polish = recording.polish;
    // All of it arrives at once: the service may still work through it at speaking pace.
    capture.finishTimeout = finishTimeoutSeconds + recording.seconds();
    ++pipeline_;
    processTranscript(asr_, capture);
}

void DictationController::keepFailedAudio(const Capture &capture)
{
    if (!deps_.failedRecordings || capture.audio.isEmpty())
        return;
    deps_.failedRecordings->keep(FailedRecording{
        capture.audio, capture.style, capture.translation, capture.polish.value_or(deps_.settings.polishEnabled())});
}

void DictationController::dropFailedAudio()
{
    if (deps_.failedRecordings)
        deps_.failedRecordings->discard();
}

void DictationController::setPhase(const DictationPhase &phase)
{
    phase_ = phase;
    timings_.phaseChanged(phase.kind(), deps_.scheduler.now());
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

void DictationController::dropSession()
{
    if (auto session = std::exchange(asr_, nullptr))
        session->cancel();
}

double DictationController::secondsSince(Scheduler::TimePoint start) const
{
    return std::chrono::duration<double>(deps_.scheduler.now() - start).count();
}

} // namespace quillo
