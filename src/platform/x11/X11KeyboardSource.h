#pragma once

#include "platform/KeyboardSource.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>

class QSocketNotifier;
// Xlib's own names, declared here so this header does not pull in Xlib's macros.
struct _XDisplay;
union _XEvent;

namespace quillo {

class X11OwnKeystrokes;

// The desktop keyboard on X11, on an X connection of its own that is read from
// the Qt event loop.
//
// - Observing: XInput2 raw key events on the root window show every key of
//   every client without taking any; their keycodes become mac key codes by
//   keysym (X11KeyMap) and the flags follow from the modifier keys held.
// - System hot keys: XGrabKey of the combination on the root window, with the
//   NumLock and CapsLock variants; the grab's core events are the hot key's
//   press and release.
// - Taking a key: XGrabKey with any modifiers, so the focused window never sees it.
// - Our own XTest keystrokes arrive from the same XTEST device as everyone
//   else's; they are recognised by the announcements in X11OwnKeystrokes.
//
// What differs from macOS's event tap is described in docs/x11.md.
class X11KeyboardSource final : public QObject, public KeyboardSource {
    Q_OBJECT
public:
    // ownKeystrokes (may be null) must outlive the source.
    explicit X11KeyboardSource(X11OwnKeystrokes *ownKeystrokes = nullptr, QObject *parent = nullptr);
    ~X11KeyboardSource() override;

    void setSink(Sink sink) override;
    KeyboardAccess access() const override;
    bool startListening() override;
    void stopListening() override;
    bool isListening() const override { return listening_; }
    int registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers) override;
    void unregisterHotKey(std::uint32_t id) override;
    void setKeyTaken(std::uint16_t keyCode, bool taken) override;
    bool hasKey(std::uint16_t keyCode) const override;
    std::uint64_t currentModifiers() const override;

    // Registration status when a key or modifier does not exist on this keyboard.
    static constexpr int noSuchKey = -1;
    static constexpr int noSuchModifier = -2;

private:
    struct DisplayCloser {
        void operator()(_XDisplay *display) const;
    };
    struct HotKey {
        unsigned keycode = 0;
        unsigned modifiers = 0;
    };

    void drain();
    void scheduleDrain() const;
    void handleEvent(_XEvent &event);
    void handleRawKey(unsigned keycode, bool press, bool repeatFlag);
    void handleCoreKey(unsigned keycode, unsigned state, bool press);
    void loadKeyboardMapping();
    int regrab(unsigned keycode, std::optional<std::uint32_t> reportId);
    std::optional<unsigned> xKeycode(std::uint16_t macKeyCode) const;
    std::optional<unsigned> xModifiers(std::uint64_t macFlags) const;
    std::uint64_t flagsOf(const std::set<unsigned> &keycodes) const;
    std::set<unsigned> keysDownNow() const;

    std::unique_ptr<_XDisplay, DisplayCloser> display_;
    X11OwnKeystrokes *ownKeystrokes_;
    std::unique_ptr<QSocketNotifier> notifier_;
    Sink sink_;
    unsigned long root_ = 0;
    int xiOpcode_ = -1;
    bool hasXInput2_ = false;
    bool hasXTest_ = false;
    bool listening_ = false;
    bool draining_ = false;
    mutable bool drainQueued_ = false;
    std::array<std::uint16_t, 256> macCodes_{};
    unsigned altMask_ = 0;
    unsigned superMask_ = 0;
    unsigned numLockMask_ = 0;
    std::map<std::uint32_t, HotKey> hotKeys_;
    std::set<unsigned> takenKeys_;
    std::set<unsigned> rawDown_;
    std::map<unsigned, std::uint32_t> activeHotKeys_;
};

} // namespace quillo
