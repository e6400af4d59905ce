#include "platform/x11/X11KeyEventTranslator.h"

#include "platform/x11/X11KeyMap.h"

#include <QKeyEvent>

#include <X11/keysym.h>

namespace quillo {
namespace {

std::uint64_t flagsFromQt(Qt::KeyboardModifiers modifiers)
{
    std::uint64_t flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= 0x20000;
    if (modifiers & Qt::ControlModifier)
        flags |= 0x40000;
    if (modifiers & Qt::AltModifier)
        flags |= 0x80000;
    if (modifiers & Qt::MetaModifier)
        flags |= 0x100000;
    return flags;
}

// Qt keys outside Latin-1, for events that carry no keysym.
std::uint32_t keysymFromQtKey(int key)
{
    if (key > 0 && key < 0x100)
        return static_cast<std::uint32_t>(key); // Latin-1 keysyms equal their code points
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return XK_F1 + static_cast<std::uint32_t>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Tab:
        return XK_Tab;
    case Qt::Key_Backtab:
        return XK_ISO_Left_Tab;
    case Qt::Key_Backspace:
        return XK_BackSpace;
    case Qt::Key_Return:
        return XK_Return;
    case Qt::Key_Enter:
        return XK_KP_Enter;
    case Qt::Key_Insert:
        return XK_Insert;
    case Qt::Key_Delete:
        return XK_Delete;
    case Qt::Key_Home:
        return XK_Home;
    case Qt::Key_End:
        return XK_End;
    case Qt::Key_Left:
        return XK_Left;
    case Qt::Key_Up:
        return XK_Up;
    case Qt::Key_Right:
        return XK_Right;
    case Qt::Key_Down:
        return XK_Down;
    case Qt::Key_PageUp:
        return XK_Prior;
    case Qt::Key_PageDown:
        return XK_Next;
    case Qt::Key_Shift:
        return XK_Shift_L;
    case Qt::Key_Control:
        return XK_Control_L;
    case Qt::Key_Alt:
        return XK_Alt_L;
    case Qt::Key_AltGr:
        return XK_ISO_Level3_Shift;
    case Qt::Key_Meta:
        return XK_Super_L;
    case Qt::Key_CapsLock:
        return XK_Caps_Lock;
    default:
        return 0;
    }
}

} // namespace

std::optional<KeyEvent> X11KeyEventTranslator::translate(const QKeyEvent &event)
{
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return std::nullopt;
    return translate(event.type() == QEvent::KeyPress, event.nativeVirtualKey(), event.key(), event.modifiers(),
        event.isAutoRepeat());
}

std::optional<KeyEvent> X11KeyEventTranslator::translate(
    bool press, std::uint32_t keysym, int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    if (keysym == 0)
        keysym = keysymFromQtKey(qtKey);
    const std::uint16_t keyCode = X11KeyMap::macKeyCode(keysym).value_or(unknownKeyCode);
    std::uint64_t flags = flagsFromQt(modifiers);
    const std::uint64_t ownFlag = X11KeyMap::modifierFlag(keyCode);
    if (ownFlag == 0 && keyCode != 57) {
        const auto type = press ? KeyEvent::Type::keyDown : KeyEvent::Type::keyUp;
        return KeyEvent{type, keyCode, flags, autoRepeat, false};
    }
    if (autoRepeat)
        return std::nullopt; // a held modifier changes no flags
    // Qt reports modifiers as they were before the event; the key's own flag
    // follows from which keys of that modifier are down now. When Qt says none
    // was down, any key of it we still hold was released while we were not told.
    if (press && (flags & ownFlag) == 0)
        std::erase_if(
            heldModifierKeys_, [ownFlag](std::uint16_t held) { return X11KeyMap::modifierFlag(held) == ownFlag; });
    if (press)
        heldModifierKeys_.insert(keyCode);
    else
        heldModifierKeys_.erase(keyCode);
    flags &= ~ownFlag;
    for (std::uint16_t held : heldModifierKeys_) {
        if (X11KeyMap::modifierFlag(held) == ownFlag)
            flags |= ownFlag;
    }
    return KeyEvent{KeyEvent::Type::flagsChanged, keyCode, flags, false, false};
}

} // namespace quillo
