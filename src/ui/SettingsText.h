#pragma once

#include "hotkeys/Hotkey.h"
#include "settings/TargetLanguage.h"
#include "settings/TranslateTrigger.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quillo::settingsText {

QString apiKeyPlaceholder(bool keyConfigured);
QString saveButtonLabel(bool keySaved);
// A key of only spaces and tabs cannot be saved.
bool canSaveKey(const QString &input);

// The orange warning when both hotkeys are the same; empty when they differ.
QString sameHotkeysWarning(const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle);
// The tip about the Fn key when either hotkey uses it; empty otherwise.
QString fnKeyTip(const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle);

// The lines under the translation settings; the third only with a translate hotkey.
// The translate trigger's entry in its picker: "⇧ Shift" with symbols, "Shift" with words.
QString triggerPickerLabel(TranslateTrigger trigger);
// The order a tap of the trigger walks through the languages: "日文 → 英文 → 越南语".
QString languageCycleText(TargetLanguage target);
QStringList translationExplanation(TranslateTrigger trigger, TargetLanguage target, const QString &cycleText,
    const std::optional<Hotkey> &translateHotkey);

} // namespace quillo::settingsText
