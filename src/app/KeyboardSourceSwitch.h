#pragma once

#include "platform/KeyboardSource.h"

namespace quillo {

// The hotkey manager's source while the desktop has not yet said which one serves:
// it forwards to one source and can move to another later (the portal's global
// shortcuts, once the portal answered at start-up). The owner re-installs the
// manager after a switch so its bindings are registered with the new source.
class KeyboardSourceSwitch final : public KeyboardSource {
public:
    explicit KeyboardSourceSwitch(KeyboardSource &initial)
        : current_(&initial)
    {
    }

    // Hands the sink over; the previous source delivers nothing more.
    void switchTo(KeyboardSource &next);
    const KeyboardSource &current() const { return *current_; }

    void setSink(Sink sink) override;
    KeyboardAccess access() const override { return current_->access(); }
    bool startListening() override { return current_->startListening(); }
    void stopListening() override { current_->stopListening(); }
    bool isListening() const override { return current_->isListening(); }
    int registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers) override
    {
        return current_->registerHotKey(id, keyCode, modifiers);
    }
    void unregisterHotKey(std::uint32_t id) override { current_->unregisterHotKey(id); }
    void setKeyTaken(std::uint16_t keyCode, bool taken) override { current_->setKeyTaken(keyCode, taken); }
    bool shortcutsOnly() const override { return current_->shortcutsOnly(); }
    bool hasKey(std::uint16_t keyCode) const override { return current_->hasKey(keyCode); }
    std::uint64_t currentModifiers() const override { return current_->currentModifiers(); }

private:
    KeyboardSource *current_;
    Sink sink_;
};

} // namespace quillo
