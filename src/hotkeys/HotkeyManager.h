#pragma once

#include "hotkeys/Hotkey.h"
#include "hotkeys/ShortcutPressTracker.h"
#include "platform/KeyboardSource.h"
#include "platform/Scheduler.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace quillo {

// The translate-trigger modifier as the manager needs it: its flag and the key
// codes of its left and right key (from TranslateTrigger's modifierFlagOf and
// keyCodes). Shift by default.
struct TriggerModifier {
    std::uint64_t flag = modifierFlag::shift;
    std::uint16_t leftKeyCode = 56;
    std::uint16_t rightKeyCode = 60;

    bool hasKeyCode(std::uint16_t keyCode) const { return keyCode == leftKeyCode || keyCode == rightKeyCode; }
    friend bool operator==(const TriggerModifier &, const TriggerModifier &) = default;
};

// Turns the desktop's key events into presses and releases of hotkey slots,
// plus the signals a running dictation needs: a short tap of the translate
// trigger, Escape, and any other key while a lone modifier is held.
//
// Combinations are registered as system hot keys; lone modifiers, the trigger
// tap, Escape and the toggle-while-holding tap come from observing every key.
// A source that only knows hot keys (shortcutsOnly) gets every binding, Escape
// and the trigger key registered instead, and other keys go unseen.
// Keys the focused application must not see (Escape while busy, the toggle key
// while the hold key is down) are taken from it through the source. One
// instance per program; main thread only. The source must outlive the manager.
class HotkeyManager {
public:
    using TimePoint = Scheduler::TimePoint;

    enum class Verdict { pass, swallow };

    struct PendingTranslate {
        std::uint16_t keyCode = 0;
        TimePoint down;
    };

    static constexpr std::chrono::milliseconds translateTapLimit{800};
    static constexpr std::chrono::milliseconds toggleDedupWindow{400};
    // How often busy-ness is asked so Escape is taken only while it matters.
    static constexpr std::uint16_t escapeKeyCode = 53;
    // Hot key ids beside the slots' own, registered only with a source that
    // sees nothing but hot keys: Escape, and a tap of the translate trigger.
    static constexpr std::uint32_t cancelHotKeyId = 101;
    static constexpr std::uint32_t translateHotKeyId = 102;

    HotkeyManager(KeyboardSource &source, Scheduler &scheduler);
    ~HotkeyManager();
    HotkeyManager(const HotkeyManager &) = delete;
    HotkeyManager &operator=(const HotkeyManager &) = delete;

    std::function<void(HotkeySlot)> onPress;
    std::function<void(HotkeySlot)> onRelease;
    std::function<void()> onOtherKeyWhileHolding;
    std::function<void()> onEscape;
    std::function<bool()> shouldInterceptEscape;
    // Receives the time the trigger key went down.
    std::function<void(TimePoint)> onTranslateTap;
    // Diagnostic lines; silent when unset.
    std::function<void(const QString &)> debugLog;
    // The bindings were replaced (configure); they may be read now.
    std::function<void()> onConfigured;

    // Replaces every binding and, unless suspended, installs them.
    void configure(std::optional<Hotkey> hold, std::optional<Hotkey> toggle, std::optional<Hotkey> holdSend,
        TriggerModifier trigger = {});
    void install();
    void uninstall();

    // Set by the hotkey recorder while it captures; it then uninstalls (and
    // uninstalls and installs again on resuming).
    bool suspended() const { return suspended_; }
    void setSuspended(bool suspended) { suspended_ = suspended; }

    // Whether every key of the desktop is observed (the source is listening).
    bool hasEventTap() const { return listening_; }
    // What the platform allows now; `trusted` is the accessibility trust of the start-up checks.
    KeyboardAccess access() const { return source_.access(); }
    const std::map<HotkeySlot, Hotkey> &bindings() const { return bindings_; }
    TriggerModifier translateTrigger() const { return trigger_; }
    const std::set<HotkeySlot> &heldModifierSlots() const { return heldModifierSlots_; }
    const std::set<HotkeySlot> &heldComboSlots() const { return heldComboSlots_; }
    std::optional<PendingTranslate> pendingTranslate() const { return pendingTranslate_; }
    std::optional<std::uint16_t> swallowedToggleKeyCode() const { return swallowedToggleKeyCode_; }
    // Modifier flags held on the keyboard right now.
    std::uint64_t currentModifiers() const;

    // Asks shouldInterceptEscape now and takes or gives back Escape; the owner
    // calls it whenever its busy-ness changes (nothing polls while idle).
    void refreshEscapeInterception() { updateTakenKeys(); }

    // Event entry points (public for tests and for sources that call directly).
    void handleFlagsChanged(const KeyEvent &event);
    Verdict handleTapEvent(const KeyEvent &event);
    void handleSystemHotKey(HotkeySlot slot, bool pressed);
    // A system hot key by its registered id; ids outside the slots are ignored.
    bool handleSystemHotKeyId(std::uint32_t id, bool pressed);

private:
    Verdict handleKeyDown(const KeyEvent &event);
    void handleTriggerFlags(std::uint16_t keyCode, std::uint64_t flags);
    void handleModifierSlots(std::uint16_t keyCode, std::uint64_t flags);
    bool isHoldModifierOnlyWithKey(std::uint16_t keyCode) const;
    std::optional<Hotkey> binding(HotkeySlot slot) const;
    void registerSystemHotKeys();
    void registerShortcutOnlyKeys();
    std::optional<std::uint16_t> translateShortcutKey() const;
    void handleShortcutOnlyKey(std::uint32_t id, bool pressed);
    void reportUnavailableKeys();
    void startListening();
    void updateTakenKeys();
    std::set<std::uint16_t> wantedTakenKeys() const;
    void log(const QString &line) const;

    KeyboardSource &source_;
    Scheduler &scheduler_;
    std::map<HotkeySlot, Hotkey> bindings_;
    TriggerModifier trigger_;
    std::optional<PendingTranslate> pendingTranslate_;
    std::set<HotkeySlot> registered_;
    std::set<std::uint32_t> registeredExtras_;
    bool listening_ = false;
    std::set<HotkeySlot> heldModifierSlots_;
    std::set<HotkeySlot> heldComboSlots_;
    std::optional<std::uint16_t> swallowedToggleKeyCode_;
    std::optional<TimePoint> lastTapToggle_;
    bool suspended_ = false;
    std::set<std::uint16_t> takenKeys_;
    ShortcutPressTracker shortcutPresses_;
};

} // namespace quillo
