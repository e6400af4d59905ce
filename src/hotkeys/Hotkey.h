#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace quillo {

// Device-independent modifier flag bits (macOS values, kept on every platform so
// stored hotkeys mean the same everywhere).
namespace modifierFlag {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
inline constexpr std::uint64_t function = 0x800000;
} // namespace modifierFlag

// Shift, Control, Option, Command.
inline constexpr std::uint64_t combinationModifiers = 0x1e0000;
// combinationModifiers plus Function: the only bits taken from a keyboard event.
inline constexpr std::uint64_t relevantModifiers = 0x9e0000;

// A key binding: a lone modifier key, or a main key with zero or more modifiers.
// Key codes are macOS virtual key codes.
struct Hotkey {
    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;
    bool isModifierOnly = false;

    friend bool operator==(const Hotkey &, const Hotkey &) = default;
};

size_t qHash(const Hotkey &hotkey, size_t seed = 0) noexcept;

struct ModifierKey {
    std::uint16_t keyCode;
    const char *displayName; // UTF-8
    std::uint64_t flag;
};

struct KeyName {
    std::uint16_t keyCode;
    const char *displayName; // UTF-8
};

// The nine modifier keys usable alone; left and right keys are distinct.
std::span<const ModifierKey> modifierKeyTable();
// F1 to F19, in that order: the keys usable without any modifier.
std::span<const std::uint16_t> functionKeyCodes();
// Names of the main key of a combination (80 entries).
std::span<const KeyName> keyNameTable();

// The table entry for a modifier key code, if it is one of the nine.
std::optional<ModifierKey> modifierKey(std::uint16_t keyCode);
// The name of a main key, if the table has one.
std::optional<QString> keyName(std::uint16_t keyCode);

bool isValid(const Hotkey &hotkey);
QString displayName(const Hotkey &hotkey);

QJsonObject toJsonObject(const Hotkey &hotkey);
QByteArray toJson(const Hotkey &hotkey);
// Strict: every member present with the right type and range, else nullopt.
// Unknown members are ignored.
std::optional<Hotkey> hotkeyFromJsonObject(const QJsonObject &object);
std::optional<Hotkey> hotkeyFromJson(const QByteArray &json);

inline constexpr Hotkey defaultHoldHotkey{61, modifierFlag::option, true};
inline constexpr Hotkey defaultToggleHotkey{49, modifierFlag::option, false};

// The roles a hotkey is bound to; the raw value doubles as the id of its system hot key.
enum class HotkeySlot : std::uint32_t {
    hold = 1,
    toggle = 2,
    toggleTranslate = 3,
    holdSend = 4,
};

std::optional<HotkeySlot> hotkeySlotFromRaw(std::uint32_t raw);
constexpr std::uint32_t rawValue(HotkeySlot slot)
{
    return static_cast<std::uint32_t>(slot);
}
// The case name used in diagnostic text, e.g. "toggleTranslate".
QString slotName(HotkeySlot slot);

size_t qHash(HotkeySlot slot, size_t seed = 0) noexcept;

} // namespace quillo

template <> struct std::hash<quillo::Hotkey> {
    size_t operator()(const quillo::Hotkey &hotkey) const noexcept { return quillo::qHash(hotkey); }
};
