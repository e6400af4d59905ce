#include "dictation/DictationAdapters.h"

#include "audio/AudioRecorder.h"
#include "hotkeys/HotkeyManager.h"

namespace quillo {

Expected<Done, QString> AudioRecorderBinding::start(ChunkCallback onChunk, LostCallback onLost)
{
    auto lost = [onLost = std::move(onLost)](const AudioRecorderError &error) {
        if (onLost)
            onLost(error.description());
    };
    auto started = recorder_.start(std::move(onChunk), std::move(lost));
    if (!started)
        return unexpected(started.error().description());
    return Done{};
}

void AudioRecorderBinding::stop()
{
    recorder_.stop();
}

void HotkeyManagerBinding::setCallbacks(Callbacks callbacks)
{
    manager_.onPress = std::move(callbacks.onPress);
    manager_.onRelease = std::move(callbacks.onRelease);
    manager_.onOtherKeyWhileHolding = std::move(callbacks.onOtherKeyWhileHolding);
    manager_.onEscape = std::move(callbacks.onEscape);
    manager_.shouldInterceptEscape = std::move(callbacks.shouldInterceptEscape);
    manager_.onTranslateTap = std::move(callbacks.onTranslateTap);
}

void HotkeyManagerBinding::configure(
    std::optional<Hotkey> hold, std::optional<Hotkey> toggle, std::optional<Hotkey> holdSend, TranslateTrigger trigger)
{
    const auto [left, right] = keyCodes(trigger);
    manager_.configure(hold, toggle, holdSend, TriggerModifier{modifierFlagOf(trigger), left, right});
}

bool HotkeyManagerBinding::isHeld(HotkeySlot slot) const
{
    return manager_.heldModifierSlots().contains(slot) || manager_.heldComboSlots().contains(slot);
}

bool HotkeyManagerBinding::isSuspended() const
{
    return manager_.suspended();
}

bool HotkeyManagerBinding::hasEventTap() const
{
    return manager_.hasEventTap();
}

void HotkeyManagerBinding::install()
{
    manager_.install();
}

std::uint64_t HotkeyManagerBinding::currentModifierFlags() const
{
    return manager_.currentModifiers();
}

} // namespace quillo
