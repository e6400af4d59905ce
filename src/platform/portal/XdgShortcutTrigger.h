#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Triggers in the syntax of the freedesktop shortcuts specification, which the
// GlobalShortcuts portal takes as a preferred trigger: modifiers (CTRL, ALT,
// SHIFT, LOGO) and one xkbcommon keysym name joined by '+', e.g. "CTRL+SHIFT+d"
// or "ALT+space". A lone modifier key is its keysym name alone ("Alt_R"): the
// syntax allows it, but a desktop may refuse a trigger without a main key.
namespace quillo::XdgShortcutTrigger {

// The keysym name of a mac key code, lower case for letters; empty for keys with
// no keysym (Fn).
std::optional<QString> keysymName(std::uint16_t macKeyCode);

// The trigger of a key with modifier flags (mac values). A modifier key's own
// flag is dropped, so right Option with the Option flag is "Alt_R". Empty when
// the key has no keysym.
std::optional<QString> fromHotKey(std::uint16_t macKeyCode, std::uint64_t modifiers);

} // namespace quillo::XdgShortcutTrigger
