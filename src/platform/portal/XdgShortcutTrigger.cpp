#include "platform/portal/XdgShortcutTrigger.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace quillo::XdgShortcutTrigger {
namespace {

struct Name {
    std::uint16_t macKeyCode;
    const char *keysym;
};

// Names as in xkbcommon-keysyms.h without the XKB_KEY_ prefix, US layout.
constexpr Name names[] = {
    {56, "Shift_L"},
    {60, "Shift_R"},
    {59, "Control_L"},
    {62, "Control_R"},
    {58, "Alt_L"},
    {61, "Alt_R"},
    {55, "Super_L"},
    {54, "Super_R"},
    {57, "Caps_Lock"},
    {49, "space"},
    {36, "Return"},
    {48, "Tab"},
    {51, "BackSpace"},
    {53, "Escape"},
    {117, "Delete"},
    {114, "Insert"},
    {123, "Left"},
    {124, "Right"},
    {125, "Down"},
    {126, "Up"},
    {115, "Home"},
    {119, "End"},
    {116, "Prior"},
    {121, "Next"},
    {122, "F1"},
    {120, "F2"},
    {99, "F3"},
    {118, "F4"},
    {96, "F5"},
    {97, "F6"},
    {98, "F7"},
    {100, "F8"},
    {101, "F9"},
    {109, "F10"},
    {103, "F11"},
    {111, "F12"},
    {105, "F13"},
    {107, "F14"},
    {113, "F15"},
    {106, "F16"},
    {64, "F17"},
    {79, "F18"},
    {80, "F19"},
    {0, "a"},
    {11, "b"},
    {8, "c"},
    {2, "d"},
    {14, "e"},
    {3, "f"},
    {5, "g"},
    {4, "h"},
    {34, "i"},
    {38, "j"},
    {40, "k"},
    {37, "l"},
    {46, "m"},
    {45, "n"},
    {31, "o"},
    {35, "p"},
    {12, "q"},
    {15, "r"},
    {1, "s"},
    {17, "t"},
    {32, "u"},
    {9, "v"},
    {13, "w"},
    {7, "x"},
    {16, "y"},
    {6, "z"},
    {29, "0"},
    {18, "1"},
    {19, "2"},
    {20, "3"},
    {21, "4"},
    {23, "5"},
    {22, "6"},
    {26, "7"},
    {28, "8"},
    {25, "9"},
    {27, "minus"},
    {24, "equal"},
    {33, "bracketleft"},
    {30, "bracketright"},
    {42, "backslash"},
    {41, "semicolon"},
    {39, "apostrophe"},
    {43, "comma"},
    {47, "period"},
    {44, "slash"},
    {50, "grave"},
    {65, "KP_Decimal"},
    {67, "KP_Multiply"},
    {69, "KP_Add"},
    {75, "KP_Divide"},
    {76, "KP_Enter"},
    {78, "KP_Subtract"},
    {81, "KP_Equal"},
    {82, "KP_0"},
    {83, "KP_1"},
    {84, "KP_2"},
    {85, "KP_3"},
    {86, "KP_4"},
    {87, "KP_5"},
    {88, "KP_6"},
    {89, "KP_7"},
    {91, "KP_8"},
    {92, "KP_9"},
};

constexpr std::uint64_t shiftFlag = 0x20000;
constexpr std::uint64_t controlFlag = 0x40000;
constexpr std::uint64_t optionFlag = 0x80000;
constexpr std::uint64_t commandFlag = 0x100000;

// In the order the trigger names them.
constexpr std::array<std::pair<std::uint64_t, const char *>, 4> modifierNames = {{
    {controlFlag, "CTRL"},
    {optionFlag, "ALT"},
    {shiftFlag, "SHIFT"},
    {commandFlag, "LOGO"},
}};

std::uint64_t ownFlag(std::uint16_t macKeyCode)
{
    switch (macKeyCode) {
    case 56:
    case 60:
        return shiftFlag;
    case 59:
    case 62:
        return controlFlag;
    case 58:
    case 61:
        return optionFlag;
    case 55:
    case 54:
        return commandFlag;
    default:
        return 0;
    }
}

// Keys whose symbol changes with Shift on common layouts.
bool shiftChangesSymbol(std::uint16_t macKeyCode)
{
    constexpr std::uint16_t keys[]
        = {29, 18, 19, 20, 21, 23, 22, 26, 28, 25, 27, 24, 33, 30, 42, 41, 39, 43, 47, 44, 50};
    return std::find(std::begin(keys), std::end(keys), macKeyCode) != std::end(keys);
}

constexpr std::uint16_t escapeKeyCode = 53;

// Chords no application types, whose release both KDE and GNOME report (GNOME only while
// the modifiers are still down: let go of the last key first). Space for talking, Return
// for sending, Escape for cancelling, T for translation.
constexpr std::pair<const char *, const char *> defaults[] = {
    {"hold", "CTRL+ALT+space"},
    {"toggle", "CTRL+ALT+SHIFT+space"},
    {"holdSend", "CTRL+ALT+Return"},
    {"cancel", "CTRL+SHIFT+Escape"},
    {"translate", "CTRL+ALT+SHIFT+t"},
};

} // namespace

std::optional<QString> portalDefault(const QString &shortcutId)
{
    for (const auto &[id, trigger] : defaults) {
        if (shortcutId == QLatin1String(id))
            return QString::fromLatin1(trigger);
    }
    return std::nullopt;
}

std::optional<QString> forPortal(
    const QString &shortcutId, std::optional<std::uint16_t> macKeyCode, std::uint64_t modifiers)
{
    if (!macKeyCode)
        return portalDefault(shortcutId);
    const std::optional<QString> own = fromHotKey(*macKeyCode, modifiers);
    const bool loneModifier = ownFlag(*macKeyCode) != 0;
    const bool bareEscape = *macKeyCode == escapeKeyCode && (modifiers & ~ownFlag(*macKeyCode)) == 0;
    const bool shiftedSymbol = (modifiers & shiftFlag) != 0 && shiftChangesSymbol(*macKeyCode);
    if (!own || loneModifier || bareEscape || shiftedSymbol || *own == QLatin1String("ALT+space"))
        return portalDefault(shortcutId);
    return own;
}

std::optional<QString> keysymName(std::uint16_t macKeyCode)
{
    for (const Name &name : names) {
        if (name.macKeyCode == macKeyCode)
            return QString::fromLatin1(name.keysym);
    }
    return std::nullopt;
}

std::optional<QString> fromHotKey(std::uint16_t macKeyCode, std::uint64_t modifiers)
{
    const std::optional<QString> key = keysymName(macKeyCode);
    if (!key)
        return std::nullopt;
    // Function has no counterpart among the trigger modifiers and is dropped.
    const std::uint64_t held = modifiers & ~ownFlag(macKeyCode);
    QString trigger;
    for (const auto &[flag, name] : modifierNames) {
        if ((held & flag) != 0)
            trigger += QLatin1String(name) + QLatin1Char('+');
    }
    return trigger + *key;
}

} // namespace quillo::XdgShortcutTrigger
