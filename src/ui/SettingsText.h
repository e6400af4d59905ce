#pragma once

#include "hotkeys/Hotkey.h"
#include "hotkeys/KeyNames.h"
#include "platform/Permissions.h"
#include "settings/AppSettings.h"
#include "settings/TargetLanguage.h"
#include "settings/TranslateTrigger.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quillo::settingsText {

// Never asks for a key over one that a locked or silent keyring may still hold.
QString apiKeyPlaceholder(APIKeyState state);
QString saveButtonLabel(bool keySaved);
// A key of only spaces and tabs cannot be saved.
bool canSaveKey(const QString &input);

// The orange warning when both hotkeys are the same; empty when they differ.
QString sameHotkeysWarning(const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle);
// The tip about the Fn key when either hotkey uses it; empty otherwise. On a Mac the 🌐
// key's own action gets in the way; elsewhere the keyboard keeps Fn to itself.
QString fnKeyTip(const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle,
    keyNames::Style style = keyNames::platformStyle());

// The lines under the translation settings; the third only with a translate hotkey.
// The translate trigger's entry in its picker: "⇧ Shift" with symbols, "Shift" with words.
QString triggerPickerLabel(TranslateTrigger trigger);
// The order a tap of the trigger walks through the languages: "日文 → 英文 → 越南语".
QString languageCycleText(TargetLanguage target);
QStringList translationExplanation(TranslateTrigger trigger, TargetLanguage target, const QString &cycleText,
    const std::optional<Hotkey> &translateHotkey);

// What one line of the permissions section says.
struct PermissionRowText {
    QString title;
    QString detail;
    bool granted = false;
    QString grantedLabel; // beside a granted row
    QString buttonLabel; // of the button that asks again; empty: nothing to ask for

    friend bool operator==(const PermissionRowText &, const PermissionRowText &) = default;
};

// On a desktop whose portals grant access (Wayland) two rows replace the accessibility
// row: whether the desktop bound our shortcuts, and how keystrokes reach the window.
PermissionRowText shortcutsRow(DesktopAccess::Shortcuts shortcuts);
PermissionRowText keyboardRow(DesktopAccess::Keyboard keyboard);

} // namespace quillo::settingsText
