#pragma once

#include <functional>

namespace quillo {

// The keystroke that pastes the clipboard in the focused window.
enum class PasteChord {
    ctrlV, // almost every application
    ctrlShiftV, // terminal emulators (Ctrl+V is a control character there)
    shiftInsert // where only the selection paste works; the PRIMARY selection must hold the text
};

// Posts synthetic keystrokes marked as this program's own, in the order asked.
// A keystroke may wait briefly for the user to let go of modifier keys, so the
// result arrives through the callback (on the main thread, possibly at once).
class KeystrokePoster {
public:
    using Done = std::function<void(bool posted)>;

    virtual ~KeystrokePoster() = default;

    virtual void postPaste(PasteChord chord, Done done) = 0;
    virtual void postReturn(Done done) = 0;
};

} // namespace quillo
