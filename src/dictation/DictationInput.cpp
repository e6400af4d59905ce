#include "dictation/DictationInput.h"

#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"

#include <chrono>

namespace quillo {

using namespace dictationTimes;

DictationInput::DictationInput(State state, Actions actions)
    : state_(state)
    , actions_(std::move(actions))
{
}

void DictationInput::handlePress(HotkeySlot slot)
{
    using dictationRules::PressAction;
    if (state_.startGate.isWaiting())
        return; // the key is on its way; this press belongs to the start already under way
    DictationTake &take = state_.take;
    if (isRecording() && slot == HotkeySlot::holdSend)
        take.autoSend = true;
    const bool holdKeyDown = state_.hotkeys.isHeld(HotkeySlot::hold);
    switch (dictationRules::pressAction(slot, state_.presenter.phase().kind(), take.mode, holdKeyDown)) {
    case PressAction::ignore:
        return;
    case PressAction::stop:
        actions_.stop();
        return;
    case PressAction::continueHandsFree:
        take.mode = RecordingMode::handsFree;
        state_.hud.setMode(take.mode);
        if (slot == HotkeySlot::toggleTranslate && !state_.hud.translation())
            state_.hud.setTranslation(state_.settings.translateTarget());
        return;
    case PressAction::start: {
        const auto request = dictationRules::startRequest(slot);
        actions_.start(request.mode, request.translate, request.holdSlot);
        return;
    }
    }
}

void DictationInput::handleRelease(HotkeySlot slot)
{
    // Let go before the credential store answered: too short to be a dictation.
    if (state_.startGate.isReleasedBy(slot)) {
        state_.startGate.drop();
        return;
    }
    if (slot == state_.take.holdSlot && isRecording() && state_.take.mode == RecordingMode::hold)
        actions_.stop();
}

void DictationInput::handleOtherKeyWhileHolding()
{
    const DictationTake &take = state_.take;
    if (!isRecording() || take.mode != RecordingMode::hold || !take.startedAt)
        return;
    // Within the first second it was a shortcut typed with the hold modifier.
    const double seconds = std::chrono::duration<double>(state_.scheduler.now() - *take.startedAt).count();
    if (seconds < otherKeyCancelWindowSeconds)
        actions_.cancel();
}

void DictationInput::handleEscape()
{
    state_.startGate.drop();
    if (isBusy())
        actions_.cancel();
}

void DictationInput::handleTranslateTap(Scheduler::TimePoint time)
{
    if (!isRecording() || !state_.take.startedAt)
        return;
    // The tap that started together with the recording still counts.
    if (time >= *state_.take.startedAt - translateTapTolerance)
        actions_.cycleTranslation();
}

void DictationInput::toggleFromMenu()
{
    if (isRecording()) {
        actions_.stop();
        return;
    }
    if (isBusy())
        return;
    actions_.start(RecordingMode::handsFree, false, HotkeySlot::hold);
}

bool DictationInput::startFromCommand()
{
    if (isBusy())
        return false;
    // The stop of a quick tap can overtake its start (two processes race): together
    // they were shorter than a tap and are dropped like one, instead of recording on.
    if (state_.startGate.overtakenByStop())
        return false;
    // No key of ours is held: the recording ends only by stopFromCommand, Escape or a
    // toggle press. Its release slot is toggle, whose press already stops a hold
    // recording, so a stray release of the hold key cannot end it.
    actions_.start(RecordingMode::hold, false, HotkeySlot::toggle);
    return true;
}

bool DictationInput::stopFromCommand()
{
    if (state_.startGate.isWaiting()) {
        // The start is still waiting for its key: together they were a tap.
        state_.startGate.drop();
        return true;
    }
    if (!isRecording()) {
        state_.startGate.stopArrivedFirst();
        return false;
    }
    actions_.stop();
    return true;
}

bool DictationInput::toggleFromCommand()
{
    const bool acts = isRecording() || !isBusy();
    toggleFromMenu();
    return acts;
}

bool DictationInput::cancelFromCommand()
{
    if (!isBusy() && !state_.startGate.isWaiting())
        return false;
    handleEscape();
    return true;
}

bool DictationInput::translateFromCommand()
{
    if (isRecording()) {
        actions_.cycleTranslation();
        return true;
    }
    if (isBusy())
        return false;
    handlePress(HotkeySlot::toggleTranslate);
    return true;
}

} // namespace quillo
