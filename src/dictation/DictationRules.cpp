#include "dictation/DictationRules.h"

#include "dictation/DictationTexts.h"

#include <algorithm>

namespace quillo::dictationRules {

PressAction pressAction(HotkeySlot slot, DictationPhase::Kind phase, RecordingMode mode, bool holdKeyDown)
{
    if (phase == DictationPhase::Kind::transcribing || phase == DictationPhase::Kind::polishing)
        return PressAction::ignore;
    if (phase != DictationPhase::Kind::recording)
        return PressAction::start;
    if (mode == RecordingMode::handsFree)
        return PressAction::stop;
    switch (slot) {
    case HotkeySlot::hold:
    case HotkeySlot::holdSend:
        return PressAction::ignore;
    case HotkeySlot::toggle:
    case HotkeySlot::toggleTranslate:
        return holdKeyDown ? PressAction::continueHandsFree : PressAction::stop;
    }
    return PressAction::ignore;
}

StartRequest startRequest(HotkeySlot slot)
{
    switch (slot) {
    case HotkeySlot::hold:
        return {RecordingMode::hold, false, HotkeySlot::hold};
    case HotkeySlot::toggle:
        return {RecordingMode::handsFree, false, HotkeySlot::hold};
    case HotkeySlot::toggleTranslate:
        return {RecordingMode::handsFree, true, HotkeySlot::hold};
    case HotkeySlot::holdSend:
        return {RecordingMode::hold, false, HotkeySlot::holdSend};
    }
    return {RecordingMode::hold, false, HotkeySlot::hold};
}

std::optional<TargetLanguage> nextTranslation(
    const std::vector<TargetLanguage> &cycle, std::optional<TargetLanguage> current)
{
    if (cycle.empty())
        return std::nullopt;
    if (!current)
        return cycle.front();
    const auto it = std::find(cycle.begin(), cycle.end(), *current);
    if (it == cycle.end())
        return cycle.front();
    const auto next = std::next(it);
    return next == cycle.end() ? std::nullopt : std::optional(*next);
}

namespace {

bool triggerIsPartOfHotkey(
    TranslateTrigger trigger, const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle)
{
    const std::uint64_t mask = modifierFlagOf(trigger);
    const auto [left, right] = keyCodes(trigger);
    if (hold) {
        if (hold->isModifierOnly && (hold->keyCode == left || hold->keyCode == right))
            return true;
        if (!hold->isModifierOnly && (hold->modifiers & mask) != 0)
            return true;
    }
    return toggle && !toggle->isModifierOnly && (toggle->modifiers & mask) != 0;
}

} // namespace

bool translatesAtStart(bool asked, std::uint64_t heldModifiers, TranslateTrigger trigger,
    const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle)
{
    const bool triggerHeld = (heldModifiers & modifierFlagOf(trigger)) != 0;
    return asked || (triggerHeld && !triggerIsPartOfHotkey(trigger, hold, toggle));
}

std::optional<QString> keyRefusal(const APIKeyRead &read, bool keyRequired)
{
    using namespace dictationTexts;
    if (read.storeFailed)
        return read.storeTimedOut ? keyStoreSilentMessage : keyStoreUnavailableMessage;
    if (read.key.isEmpty() && keyRequired)
        return noApiKeyMessage;
    return std::nullopt;
}

} // namespace quillo::dictationRules
