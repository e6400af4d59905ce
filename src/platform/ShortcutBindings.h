#pragma once

#include <QString>

#include <cstdint>

namespace quillo {

// Hotkeys whose triggers the desktop decides (global shortcuts through a
// portal): what it reports as bound, and its own dialog for changing them.
class ShortcutBindings {
public:
    virtual ~ShortcutBindings() = default;

    // How the desktop says the hot key `id` is triggered; empty when it bound none.
    virtual QString boundTrigger(std::uint32_t id) const = 0;
    // The desktop offers a dialog for changing the triggers.
    virtual bool canConfigure() const = 0;
    virtual void configure() = 0;
    // The desktop lists the shortcuts under names of another language than this run's
    // (it keeps the names of their first registration).
    virtual bool namedOtherwise() const { return false; }
};

} // namespace quillo
