#pragma once

#include "dictation/DictationPhase.h"
#include "hotkeys/Hotkey.h"
#include "settings/AppSettings.h"
#include "settings/TargetLanguage.h"
#include "settings/TranslateTrigger.h"

#include <QString>

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

// Whether a recording translates from its start: asked to, or the trigger modifier held
// as it starts, unless that modifier belongs to the hold or toggle hotkey itself.
bool translatesAtStart(bool asked, std::uint64_t heldModifiers, TranslateTrigger trigger,
    const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle);

// Why a read key cannot start a dictation (the message the user sees); none when it can.
// keyRequired false lets a missing key through to a start that says so itself.
std::optional<QString> keyRefusal(const APIKeyRead &read, bool keyRequired = true);

} // namespace quillo::dictationRules
