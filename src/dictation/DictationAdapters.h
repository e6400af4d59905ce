#pragma once

#include "dictation/DictationPorts.h"

namespace quillo {

class AudioRecorder;
class HotkeyManager;

// The microphone recorder as the controller sees it.
class AudioRecorderBinding final : public DictationRecorder {
public:
    explicit AudioRecorderBinding(AudioRecorder &recorder)
        : recorder_(recorder)
    {
    }
    Expected<Done, QString> start(ChunkCallback onChunk, LostCallback onLost) override;
    void stop() override;

private:
    AudioRecorder &recorder_;
};

// The desktop hotkey manager as the controller sees it.
class HotkeyManagerBinding final : public DictationHotkeys {
public:
    explicit HotkeyManagerBinding(HotkeyManager &manager)
        : manager_(manager)
    {
    }
    void setCallbacks(Callbacks callbacks) override;
    void configure(std::optional<Hotkey> hold, std::optional<Hotkey> toggle, std::optional<Hotkey> holdSend,
        TranslateTrigger trigger) override;
    bool isHeld(HotkeySlot slot) const override;
    bool isSuspended() const override;
    bool hasEventTap() const override;
    void install() override;
    std::uint64_t currentModifierFlags() const override;

private:
    HotkeyManager &manager_;
};

} // namespace quillo
