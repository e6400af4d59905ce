#pragma once

#include "platform/KeyboardSource.h"

#include <optional>

class QKeyEvent;

namespace quillo {

// Converts key events of the program's own Qt windows into the form the hotkey
// rules use (mac key codes and flags), for capturing a new hotkey. A pressed or
// released modifier key becomes flags-changed. Stateful: it remembers which
// modifier keys are down so left and right keys of one modifier combine.
class KeyEventTranslator {
public:
    virtual ~KeyEventTranslator() = default;
    // Empty for events that are not key presses or releases.
    virtual std::optional<KeyEvent> translate(const QKeyEvent &event) = 0;
    // Forgets which modifier keys are down. A capture starts from here: releases
    // that came while nobody was translating were never seen.
    virtual void reset() { }
};

} // namespace quillo
