#include "dictation/HotkeyBinding.h"

#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"
#include "hotkeys/KeyNames.h"

namespace quillo {

namespace {

QString keyName(const std::optional<Hotkey> &hotkey)
{
    return hotkey ? keyNames::name(*hotkey) : dictationTexts::unsetKeyName();
}

} // namespace

HotkeyBinding::HotkeyBinding(DictationHotkeys &hotkeys, AppSettings &settings, HUDModel &hud, QObject *parent)
    : QObject(parent)
    , hotkeys_(hotkeys)
    , settings_(settings)
    , hud_(hud)
{
}

void HotkeyBinding::bind(DictationHotkeys::Callbacks callbacks)
{
    if (bound_)
        return;
    bound_ = true;
    hotkeys_.setCallbacks(std::move(callbacks));
    connect(&settings_, &AppSettings::holdHotkeyChanged, this, &HotkeyBinding::apply);
    connect(&settings_, &AppSettings::toggleHotkeyChanged, this, &HotkeyBinding::apply);
    connect(&settings_, &AppSettings::translateTriggerChanged, this, &HotkeyBinding::apply);
    apply();
}

void HotkeyBinding::apply()
{
    const TranslateTrigger trigger = settings_.translateTrigger();
    hotkeys_.configure(settings_.holdHotkey(), settings_.toggleHotkey(), holdSendHotkey, trigger);
    hud_.setHoldKeyName(keyName(settings_.holdHotkey()));
    hud_.setToggleKeyName(keyName(settings_.toggleHotkey()));
    hud_.setTranslateKeyName(keyNames::modifierName(modifierFlagOf(trigger)));
}

void HotkeyBinding::showHoldKey(RecordingMode mode, HotkeySlot holdSlot)
{
    if (holdSlot == HotkeySlot::holdSend)
        hud_.setHoldKeyName(keyNames::name(holdSendHotkey));
    else if (mode == RecordingMode::hold && holdSlot == HotkeySlot::toggle)
        hud_.setHoldKeyName(dictationTexts::commandKeyName()); // started from the command line: no key of ours is held
    else
        hud_.setHoldKeyName(keyName(settings_.holdHotkey()));
}

void HotkeyBinding::armForRecording(
    RecordingMode mode, HotkeySlot holdSlot, bool translate, const Permissions &permissions)
{
    // Accessibility granted since launch: the manager can now observe every key.
    if (!hotkeys_.isSuspended() && !hotkeys_.hasEventTap() && permissions.isAccessibilityTrusted())
        hotkeys_.install();
    showHoldKey(mode, holdSlot);
    if (dictationRules::translatesAtStart(translate, hotkeys_.currentModifierFlags(), settings_.translateTrigger(),
            settings_.holdHotkey(), settings_.toggleHotkey()))
        hud_.setTranslation(settings_.translateTarget());
}

} // namespace quillo
