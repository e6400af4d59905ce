#pragma once

#include "hotkeys/Hotkey.h"
#include "platform/Scheduler.h"
#include "settings/AppSettings.h"

#include <functional>
#include <memory>
#include <optional>

namespace quillo {

// A dictation's start while the credential store looks up the API key. One at a time;
// Escape, a stop or the release of the key that asked for it drops it, and a store
// that stays silent ends it with onSilent instead of leaving the key press hanging.
// A late answer to a dropped or replaced start does nothing.
class PendingStart {
public:
    using ReadKey = std::function<void(std::function<void(const APIKeyRead &)>)>;

    PendingStart(Scheduler &scheduler, ReadKey readKey);

    // Reads the key fresh and hands it to start. releaseSlot: the key whose release
    // before the answer means the press was too short to be a dictation.
    void begin(std::optional<HotkeySlot> releaseSlot, std::function<void(const APIKeyRead &)> start,
        std::function<void()> onSilent);
    bool isWaiting() const { return waiting_ != nullptr; }
    bool isReleasedBy(HotkeySlot slot) const { return waiting_ && waiting_->releaseSlot == slot; }
    void drop();

private:
    struct Waiting {
        std::optional<HotkeySlot> releaseSlot;
    };

    Scheduler &scheduler_;
    ReadKey readKey_;
    // Callbacks hold it weakly: dropped or replaced, their answer finds it gone.
    std::shared_ptr<Waiting> waiting_;
    ScheduledWork deadline_;
};

} // namespace quillo
