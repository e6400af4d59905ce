#pragma once

#include "dictation/DictationPhase.h"
#include "hotkeys/Hotkey.h"
#include "settings/TargetLanguage.h"
#include "settings/TranslateTrigger.h"

#include <optional>
#include <vector>

namespace quillo::dictationRules {

// What a press of a hotkey slot does in the current state.
enum class PressAction {
    ignore,
    start,
    stop,
    // The hold key is still down and the toggle key was tapped: carry on hands-free.
    continueHandsFree,
};

PressAction pressAction(HotkeySlot slot, DictationPhase::Kind phase, RecordingMode mode, bool holdKeyDown);

// How a press in a free phase starts a recording.
struct StartRequest {
    RecordingMode mode;
    bool translate;
    HotkeySlot holdSlot; // whose release ends a hold recording
};
StartRequest startRequest(HotkeySlot slot);

// The next translation of a trigger tap: none, then each language of the cycle
// in turn, then none again. A language not in the cycle restarts it.
std::optional<TargetLanguage> nextTranslation(
    const std::vector<TargetLanguage> &cycle, std::optional<TargetLanguage> current);

// Whether the trigger modifier belongs to the hold or toggle hotkey itself, so
// holding it at the start is part of the hotkey, not a request to translate.
bool triggerIsPartOfHotkey(
    TranslateTrigger trigger, const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle);

} // namespace quillo::dictationRules
