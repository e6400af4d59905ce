#include "hotkeys/Hotkey.h"

#include <QHashFunctions>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <array>
#include <cmath>

namespace quillo {

namespace {

constexpr std::array<ModifierKey, 9> modifierKeys{{
    {54, "右 ⌘", modifierFlag::command},
    {55, "左 ⌘", modifierFlag::command},
    {58, "左 ⌥", modifierFlag::option},
    {61, "右 ⌥", modifierFlag::option},
    {56, "左 ⇧", modifierFlag::shift},
    {60, "右 ⇧", modifierFlag::shift},
    {59, "左 ⌃", modifierFlag::control},
    {62, "右 ⌃", modifierFlag::control},
    {63, "Fn", modifierFlag::function},
}};

constexpr std::array<std::uint16_t, 19> functionKeys{
    122,
    120,
    99,
    118,
    96,
    97,
    98,
    100,
    101,
    109,
    103,
    111,
    105,
    107,
    113,
    106,
    64,
    79,
    80,
};

constexpr std::array<KeyName, 80> keyNames{{
    // Named keys
    {49, "Space"},
    {36, "↩"},
    {48, "⇥"},
    {51, "⌫"},
    {53, "Esc"},
    {117, "⌦"},
    {123, "←"},
    {124, "→"},
    {125, "↓"},
    {126, "↑"},
    {115, "Home"},
    {119, "End"},
    {116, "PgUp"},
    {121, "PgDn"},
    // F1..F19, same codes as functionKeys
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
    // Letters
    {0, "A"},
    {11, "B"},
    {8, "C"},
    {2, "D"},
    {14, "E"},
    {3, "F"},
    {5, "G"},
    {4, "H"},
    {34, "I"},
    {38, "J"},
    {40, "K"},
    {37, "L"},
    {46, "M"},
    {45, "N"},
    {31, "O"},
    {35, "P"},
    {12, "Q"},
    {15, "R"},
    {1, "S"},
    {17, "T"},
    {32, "U"},
    {9, "V"},
    {13, "W"},
    {7, "X"},
    {16, "Y"},
    {6, "Z"},
    // Digits
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
    // Punctuation
    {27, "-"},
    {24, "="},
    {33, "["},
    {30, "]"},
    {42, "\\"},
    {41, ";"},
    {39, "'"},
    {43, ","},
    {47, "."},
    {44, "/"},
    {50, "`"},
}};

// Display order of modifier symbols in a combination's name.
constexpr std::array<std::pair<std::uint64_t, const char *>, 5> prefixSymbols{{
    {modifierFlag::control, "⌃"},
    {modifierFlag::option, "⌥"},
    {modifierFlag::shift, "⇧"},
    {modifierFlag::command, "⌘"},
    {modifierFlag::function, "fn "},
}};

// Largest double strictly below 2^64; anything above cannot be a 64-bit flag word.
constexpr double maxFlagWord = 18446744073709549568.0;

bool isWholeNumber(double value)
{
    return std::isfinite(value) && std::trunc(value) == value;
}

} // namespace

size_t qHash(const Hotkey &hotkey, size_t seed) noexcept
{
    return qHashMulti(seed, hotkey.keyCode, static_cast<quint64>(hotkey.modifiers), hotkey.isModifierOnly);
}

std::span<const ModifierKey> modifierKeyTable()
{
    return modifierKeys;
}
std::span<const std::uint16_t> functionKeyCodes()
{
    return functionKeys;
}
std::span<const KeyName> keyNameTable()
{
    return keyNames;
}

std::optional<ModifierKey> modifierKey(std::uint16_t keyCode)
{
    const auto it = std::ranges::find(modifierKeys, keyCode, &ModifierKey::keyCode);
    if (it == modifierKeys.end())
        return std::nullopt;
    return *it;
}

std::optional<QString> keyName(std::uint16_t keyCode)
{
    const auto it = std::ranges::find(keyNames, keyCode, &KeyName::keyCode);
    if (it == keyNames.end())
        return std::nullopt;
    return QString::fromUtf8(it->displayName);
}

bool isValid(const Hotkey &hotkey)
{
    if (hotkey.isModifierOnly)
        return modifierKey(hotkey.keyCode).has_value();
    if (hotkey.modifiers & combinationModifiers)
        return true;
    return std::ranges::find(functionKeys, hotkey.keyCode) != functionKeys.end();
}

QString displayName(const Hotkey &hotkey)
{
    if (hotkey.isModifierOnly) {
        if (const auto key = modifierKey(hotkey.keyCode))
            return QString::fromUtf8(key->displayName);
        return QStringLiteral("键 ") + QString::number(hotkey.keyCode);
    }
    QString name;
    for (const auto &[flag, symbol] : prefixSymbols) {
        if (hotkey.modifiers & flag)
            name += QString::fromUtf8(symbol);
    }
    if (const auto key = keyName(hotkey.keyCode))
        return name + *key;
    return name + QStringLiteral("键") + QString::number(hotkey.keyCode);
}

QJsonObject toJsonObject(const Hotkey &hotkey)
{
    // JSON numbers are doubles: flag words up to 2^53 (all real ones) survive exactly.
    return QJsonObject{
        {QStringLiteral("keyCode"), static_cast<int>(hotkey.keyCode)},
        {QStringLiteral("modifiers"), static_cast<double>(hotkey.modifiers)},
        {QStringLiteral("isModifierOnly"), hotkey.isModifierOnly},
    };
}

QByteArray toJson(const Hotkey &hotkey)
{
    return QJsonDocument(toJsonObject(hotkey)).toJson(QJsonDocument::Compact);
}

std::optional<Hotkey> hotkeyFromJsonObject(const QJsonObject &object)
{
    const QJsonValue keyCode = object.value(QStringLiteral("keyCode"));
    const QJsonValue modifiers = object.value(QStringLiteral("modifiers"));
    const QJsonValue modifierOnly = object.value(QStringLiteral("isModifierOnly"));
    if (!keyCode.isDouble() || !modifiers.isDouble() || !modifierOnly.isBool())
        return std::nullopt;

    // A fractional or negative number is not a key code or a flag word; rounding it
    // would bind a key the user never chose.
    const double code = keyCode.toDouble();
    if (!isWholeNumber(code) || code < 0 || code > 65535)
        return std::nullopt;
    const double flags = modifiers.toDouble();
    if (!isWholeNumber(flags) || flags < 0 || flags > maxFlagWord)
        return std::nullopt;

    return Hotkey{static_cast<std::uint16_t>(code), static_cast<std::uint64_t>(flags), modifierOnly.toBool()};
}

std::optional<Hotkey> hotkeyFromJson(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return hotkeyFromJsonObject(document.object());
}

std::optional<HotkeySlot> hotkeySlotFromRaw(std::uint32_t raw)
{
    if (raw < 1 || raw > 4)
        return std::nullopt;
    return static_cast<HotkeySlot>(raw);
}

QString slotName(HotkeySlot slot)
{
    switch (slot) {
    case HotkeySlot::hold:
        return QStringLiteral("hold");
    case HotkeySlot::toggle:
        return QStringLiteral("toggle");
    case HotkeySlot::toggleTranslate:
        return QStringLiteral("toggleTranslate");
    case HotkeySlot::holdSend:
        return QStringLiteral("holdSend");
    }
    return QString::number(rawValue(slot));
}

size_t qHash(HotkeySlot slot, size_t seed) noexcept
{
    return ::qHash(rawValue(slot), seed);
}

} // namespace quillo
