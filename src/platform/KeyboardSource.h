#pragma once

#include <cstdint>
#include <functional>

namespace quillo {

// One keyboard event in the platform-neutral form the hotkey rules use: macOS
// virtual key codes and modifier flag bits on every platform.
struct KeyEvent {
    enum class Type { keyDown, keyUp, flagsChanged };

    Type type = Type::keyDown;
    std::uint16_t keyCode = 0;
    // Modifier flags held once this event has taken effect.
    std::uint64_t modifiers = 0;
    bool isRepeat = false;
    // Posted by this program itself (a paste or Return keystroke).
    bool isOurs = false;
};

// A key the platform reports that has no macOS counterpart we know of.
inline constexpr std::uint16_t unknownKeyCode = 0xFFFF;

// What the platform lets us do with the keyboard.
struct KeyboardAccess {
    bool listen = false; // every key of the desktop can be observed
    bool post = false; // synthetic keystrokes can be posted
    bool trusted = false;
};

// The desktop's keyboard: global observation of every key, system hot keys for
// combinations, and keys taken away from the focused application. Main thread only.
class KeyboardSource {
public:
    struct Sink {
        std::function<void(const KeyEvent &)> onKeyEvent;
        // A registered system hot key went down or up (id as registered).
        std::function<void(std::uint32_t id, bool pressed)> onSystemHotKey;
    };

    virtual ~KeyboardSource() = default;

    // Replaces the receiver of events; an empty sink stops delivery.
    virtual void setSink(Sink sink) = 0;

    virtual KeyboardAccess access() const = 0;
    // Starts observing every key; false when the platform cannot.
    virtual bool startListening() = 0;
    virtual void stopListening() = 0;
    virtual bool isListening() const = 0;

    // Status 0 on success, otherwise a platform error code (negative when the
    // key does not exist on this keyboard). Registering an id again replaces it.
    virtual int registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers) = 0;
    virtual void unregisterHotKey(std::uint32_t id) = 0;

    // Takes a key away from the focused application whatever modifiers are held,
    // until released again. Events of the key are still observed.
    virtual void setKeyTaken(std::uint16_t keyCode, bool taken) = 0;

    // True for a source that delivers nothing but its registered hot keys and
    // takes a lone modifier key or Escape as a hot key of its own (a desktop
    // portal's global shortcuts): everything the rules need is then registered.
    virtual bool shortcutsOnly() const { return false; }

    // Whether the keyboard can produce this key at all.
    virtual bool hasKey(std::uint16_t keyCode) const = 0;
    // Modifier flags of the modifier keys held right now.
    virtual std::uint64_t currentModifiers() const = 0;
};

} // namespace quillo
