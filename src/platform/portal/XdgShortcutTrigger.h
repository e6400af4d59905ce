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

// What a desktop can really bind and fire for the shortcut `shortcutId` ("hold", "toggle",
// "toggleTranslate", "holdSend", "cancel", "translate") whose stored hot key is `keyCode` with
// `modifiers`: the hot key's own trigger where desktops fire it with a press and a release,
// else the shortcut's default. Not sent: a lone modifier (KDE fires it only at its release and
// takes either side for both; GNOME never fires it), bare Escape (taken from every window while
// the program runs), Shift with a digit or punctuation (KDE binds it, then matches the shifted
// symbol and never fires), and Alt+Space (KRunner's and GNOME's window-menu key, so the desktop
// refuses it). Empty when there is neither.
std::optional<QString> forPortal(
    const QString &shortcutId, std::optional<std::uint16_t> macKeyCode, std::uint64_t modifiers);
// The default trigger of a shortcut id; empty for ids without one.
std::optional<QString> portalDefault(const QString &shortcutId);

} // namespace quillo::XdgShortcutTrigger
