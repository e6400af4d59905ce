#pragma once

#include "platform/KeyboardSource.h"

#include <cstdint>
#include <map>
#include <set>
#include <utility>

namespace quillo {

// A keyboard driven by the test: it records what was registered and taken, and
// plays scripted key events into the sink while listening.
class FakeKeyboardSource final : public KeyboardSource {
public:
    struct Registration {
        std::uint16_t keyCode = 0;
        std::uint64_t modifiers = 0;
    };

    void setSink(Sink sink) override { sink_ = std::move(sink); }
    KeyboardAccess access() const override { return access_; }
    bool startListening() override;
    void stopListening() override { listening_ = false; }
    bool isListening() const override { return listening_; }
    int registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers) override;
    void unregisterHotKey(std::uint32_t id) override { registrations_.erase(id); }
    void setKeyTaken(std::uint16_t keyCode, bool taken) override;
    bool shortcutsOnly() const override { return shortcutsOnly_; }
    bool hasKey(std::uint16_t keyCode) const override { return !missingKeys_.contains(keyCode); }
    std::uint64_t currentModifiers() const override { return modifiers_; }

    // Setup.
    void setAccess(KeyboardAccess access) { access_ = access; }
    void setListeningPossible(bool possible) { listeningPossible_ = possible; }
    // Acts like a desktop portal: no key stream, every key a shortcut.
    void setShortcutsOnly(bool only) { shortcutsOnly_ = only; }
    void failRegistration(std::uint16_t keyCode, int status) { failures_[keyCode] = status; }
    void setMissingKey(std::uint16_t keyCode) { missingKeys_.insert(keyCode); }

    // Scripted input: a modifier key (mac code) going down or up updates the
    // held flags and sends flags-changed; other keys send key-down/key-up.
    void modifierDown(std::uint16_t keyCode, bool ours = false);
    void modifierUp(std::uint16_t keyCode, bool ours = false);
    void keyDown(std::uint16_t keyCode, bool repeat = false, bool ours = false);
    void keyUp(std::uint16_t keyCode, bool ours = false);
    void send(const KeyEvent &event);
    void systemHotKey(std::uint32_t id, bool pressed);

    // Observation.
    const std::map<std::uint32_t, Registration> &registrations() const { return registrations_; }
    const std::set<std::uint16_t> &takenKeys() const { return taken_; }
    int startCount() const { return startCount_; }
    bool hasSink() const { return static_cast<bool>(sink_.onKeyEvent); }

private:
    void sendFlags(std::uint16_t keyCode, bool ours);

    Sink sink_;
    KeyboardAccess access_{true, true, true};
    bool listeningPossible_ = true;
    bool shortcutsOnly_ = false;
    bool listening_ = false;
    int startCount_ = 0;
    std::map<std::uint32_t, Registration> registrations_;
    std::map<std::uint16_t, int> failures_;
    std::set<std::uint16_t> missingKeys_;
    std::set<std::uint16_t> taken_;
    std::multiset<std::uint16_t> heldModifierKeys_;
    std::uint64_t modifiers_ = 0;
};

} // namespace quillo
