#include "settings/TranslateTrigger.h"

#include "hotkeys/Hotkey.h"

#include <QHashFunctions>

namespace quillo {

namespace {

struct TriggerRow {
    TranslateTrigger trigger;
    const char *raw;
    const char *displayName; // UTF-8
    const char *symbol; // UTF-8
    std::uint64_t flag;
    std::uint16_t left;
    std::uint16_t right;
};

constexpr std::array<TriggerRow, 4> triggerTable{{
    {TranslateTrigger::shift, "shift", "⇧ Shift", "⇧", modifierFlag::shift, 56, 60},
    {TranslateTrigger::control, "control", "⌃ Control", "⌃", modifierFlag::control, 59, 62},
    {TranslateTrigger::command, "command", "⌘ Command", "⌘", modifierFlag::command, 55, 54},
    {TranslateTrigger::option, "option", "⌥ Option", "⌥", modifierFlag::option, 58, 61},
}};

const TriggerRow &row(TranslateTrigger trigger)
{
    return triggerTable[static_cast<std::size_t>(trigger)];
}

} // namespace

QString rawValue(TranslateTrigger trigger)
{
    return QString::fromLatin1(row(trigger).raw);
}

std::optional<TranslateTrigger> translateTriggerFromRaw(const QString &raw)
{
    for (const TriggerRow &r : triggerTable) {
        if (raw == QLatin1String(r.raw))
            return r.trigger;
    }
    return std::nullopt;
}

QString displayName(TranslateTrigger trigger)
{
    return QString::fromUtf8(row(trigger).displayName);
}

QString symbol(TranslateTrigger trigger)
{
    return QString::fromUtf8(row(trigger).symbol);
}

std::uint64_t modifierFlagOf(TranslateTrigger trigger)
{
    return row(trigger).flag;
}

std::pair<std::uint16_t, std::uint16_t> keyCodes(TranslateTrigger trigger)
{
    return {row(trigger).left, row(trigger).right};
}

std::size_t qHash(TranslateTrigger trigger, std::size_t seed) noexcept
{
    return ::qHash(static_cast<int>(trigger), seed);
}

} // namespace quillo
