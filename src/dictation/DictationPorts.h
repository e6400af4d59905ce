#pragma once

#include "common/Expected.h"
#include "hotkeys/Hotkey.h"
#include "platform/Scheduler.h"
#include "settings/TranslateTrigger.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace quillo {

// The narrow views of its collaborators the dictation controller works with.
// The application wires the real components to them; tests use fakes.

// Microphone capture. Both callbacks run on the audio thread.
class DictationRecorder {
public:
    using ChunkCallback = std::function<void(const QByteArray &pcm16, float level)>;
    // Capture ended before stop (microphone removed, sound server gone): the
    // description the user sees. At most once per start.
    using LostCallback = std::function<void(const QString &description)>;
    virtual ~DictationRecorder() = default;
    // Fails with the description the user sees.
    virtual Expected<Done, QString> start(ChunkCallback onChunk, LostCallback onLost) = 0;
    virtual void stop() = 0;
};

// The floating recording panel.
class DictationPanel {
public:
    virtual ~DictationPanel() = default;
    // Positions the panel and brings it to the front without activating us.
    virtual void show() = 0;
    virtual void hide() = 0;
};

// The global hotkey listener, as the controller drives it.
class DictationHotkeys {
public:
    struct Callbacks {
        std::function<void(HotkeySlot)> onPress;
        std::function<void(HotkeySlot)> onRelease;
        std::function<void()> onOtherKeyWhileHolding;
        std::function<void()> onEscape;
        std::function<bool()> shouldInterceptEscape;
        // The time the trigger key went down.
        std::function<void(Scheduler::TimePoint)> onTranslateTap;
    };

    virtual ~DictationHotkeys() = default;
    virtual void setCallbacks(Callbacks callbacks) = 0;
    virtual void configure(std::optional<Hotkey> hold, std::optional<Hotkey> toggle, std::optional<Hotkey> holdSend,
        TranslateTrigger trigger)
        = 0;
    // Whether the key of this slot is down right now.
    virtual bool isHeld(HotkeySlot slot) const = 0;
    virtual bool isSuspended() const = 0;
    virtual bool hasEventTap() const = 0;
    virtual void install() = 0;
    // Modifier flags of the keyboard at this moment (bits of relevantModifiers).
    virtual std::uint64_t currentModifierFlags() const = 0;
};

} // namespace quillo
