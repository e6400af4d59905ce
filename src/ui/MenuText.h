#pragma once

#include "dictation/DictationPhase.h"
#include "dictation/FailedRecording.h"
#include "hotkeys/Hotkey.h"
#include "settings/APIKeyState.h"
#include "settings/TranslateTrigger.h"

#include <QString>

#include <optional>

namespace quillo::menu {

inline constexpr int historyShown = 5;

// The line under "Quillo" in the menu header.
QString statusLine(const DictationPhase &phase);
QString toggleButtonLabel(const DictationPhase &phase);
// A hotkey's display name, or "未设置" when there is none.
QString hotkeyText(const std::optional<Hotkey> &hotkey);
QString translateTapText(TranslateTrigger trigger);
// The warning about the key; empty when there is none to give (stored, or not read yet).
QString keyWarning(APIKeyState state);
// A kept recording in the menu: its length, when it was made, its first words if any.
QString keptRecordingLine(const FailedRecording &recording);
// What the empty history list says.
QString emptyHistoryHint(const std::optional<Hotkey> &holdHotkey);

} // namespace quillo::menu
