#pragma once

#include "platform/KeyEventTranslator.h"

#include <Qt>

#include <cstdint>
#include <set>

namespace quillo {

// Qt key events on X11 carry the keysym (nativeVirtualKey); X11KeyMap gives the
// mac key code. Events without a native keysym (off-screen, synthesised) are
// mapped from Qt's key code.
class X11KeyEventTranslator final : public KeyEventTranslator {
public:
    std::optional<KeyEvent> translate(const QKeyEvent &event) override;
    void reset() override { heldModifierKeys_.clear(); }

    // The same from the parts of an event.
    std::optional<KeyEvent> translate(
        bool press, std::uint32_t keysym, int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat);

private:
    std::set<std::uint16_t> heldModifierKeys_;
};

} // namespace quillo
