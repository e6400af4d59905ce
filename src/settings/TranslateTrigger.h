#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

namespace quillo {

// The modifier key whose short tap during a recording switches it to translation.
enum class TranslateTrigger { shift, control, command, option };

inline constexpr std::array<TranslateTrigger, 4> allTranslateTriggers{
    TranslateTrigger::shift, TranslateTrigger::control, TranslateTrigger::command, TranslateTrigger::option};

// Stored form: "shift", "control", "command", "option".
QString rawValue(TranslateTrigger trigger);
std::optional<TranslateTrigger> translateTriggerFromRaw(const QString &raw);
// Picker label, e.g. "⇧ Shift".
QString displayName(TranslateTrigger trigger);
// Short form for the recording panel, e.g. "⇧".
QString symbol(TranslateTrigger trigger);
// The modifier flag bit of the key (hotkeys/Hotkey.h values); not named
// modifierFlag, which is the namespace of those values.
std::uint64_t modifierFlagOf(TranslateTrigger trigger);
// Virtual key codes of the left and right key.
std::pair<std::uint16_t, std::uint16_t> keyCodes(TranslateTrigger trigger);

std::size_t qHash(TranslateTrigger trigger, std::size_t seed = 0) noexcept;

} // namespace quillo
