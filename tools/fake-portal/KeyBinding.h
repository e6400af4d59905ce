#pragma once

#include "Keysym.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace quillo::fakeportal {

// The key a shortcut is bound to, in the form each desktop matches it.
struct KeyBinding {
    std::optional<Keysym> key;
    std::uint32_t modifiers = 0; // Mod:: masks
    int qtKey = 0; // KDE: Qt's combined key code

    bool isSet() const { return key.has_value() || qtKey != 0; }
    // A trigger read leniently (modifiers in any case, "Ctrl" or "CTRL", a
    // keysym in any case): the documented portal and hyprland.conf binds.
    static KeyBinding fromTrigger(const QString &trigger);
};

} // namespace quillo::fakeportal
