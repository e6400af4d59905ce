#include "hotkeys/ShortcutPressTracker.h"

namespace quillo {

std::vector<ShortcutPressTracker::Event> ShortcutPressTracker::activated(std::uint32_t id, TimePoint now)
{
    Key &key = keys_[id];
    if (key.held && !key.latched && now - key.lastActivation < repeatWindow) {
        key.lastActivation = now;
        return {};
    }
    const bool wasHeld = key.held;
    key = Key{true, false, now, now};
    if (wasHeld)
        return {Event::release, Event::press};
    return {Event::press};
}

std::vector<ShortcutPressTracker::Event> ShortcutPressTracker::deactivated(
    std::uint32_t id, TimePoint now, bool holdLike)
{
    Key &key = keys_[id];
    if (!key.held || key.latched)
        return key.latched ? std::vector<Event>{} : std::vector<Event>{Event::release};
    if (holdLike && now - key.pressedAt < tapLimit) {
        key.latched = true;
        return {};
    }
    key.held = false;
    return {Event::release};
}

} // namespace quillo
