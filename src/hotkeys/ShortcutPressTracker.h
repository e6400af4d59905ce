#pragma once

#include "platform/Scheduler.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

namespace quillo {

// Turns a desktop's shortcut activations into presses and releases a dictation can
// rely on. Desktops differ: GNOME repeats Activated while a key is held and gives no
// Deactivated when a modifier is let go before the key; KDE fires a lone modifier only
// at its release, Activated and Deactivated together. So:
// - an activation within `repeatWindow` of the last one, with no release between, is
//   key repeat;
// - a later activation while still held means the release was lost: it releases first;
// - a hold-like shortcut (its release ends the dictation) released within `tapLimit` of
//   its press was tapped: it stays held until its next activation, which releases it —
//   tap to start, tap to stop, as well as hold to talk.
class ShortcutPressTracker {
public:
    using TimePoint = Scheduler::TimePoint;
    enum class Event { press, release };

    static constexpr std::chrono::milliseconds repeatWindow{1000};
    // Shorter than the shortest recording kept, so a tap never ends a dictation at once.
    static constexpr std::chrono::milliseconds tapLimit{350};

    std::vector<Event> activated(std::uint32_t id, TimePoint now);
    std::vector<Event> deactivated(std::uint32_t id, TimePoint now, bool holdLike);
    void reset() { keys_.clear(); }

private:
    struct Key {
        bool held = false;
        bool latched = false; // tapped: held until the next activation
        TimePoint pressedAt;
        TimePoint lastActivation;
    };

    std::map<std::uint32_t, Key> keys_;
};

} // namespace quillo
