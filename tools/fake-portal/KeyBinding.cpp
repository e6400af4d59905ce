#include "KeyBinding.h"

#include <QStringList>

namespace quillo::fakeportal {
namespace {

std::uint32_t modifierNamed(const QString &name)
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("CTRL") || upper == QLatin1String("CONTROL"))
        return Mod::control;
    if (upper == QLatin1String("ALT"))
        return Mod::alt;
    if (upper == QLatin1String("SHIFT"))
        return Mod::shift;
    if (upper == QLatin1String("LOGO") || upper == QLatin1String("SUPER") || upper == QLatin1String("META"))
        return Mod::super;
    return 0;
}

} // namespace

KeyBinding KeyBinding::fromTrigger(const QString &trigger)
{
    KeyBinding binding;
    const QStringList parts = trigger.split(QLatin1Char('+'));
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const std::uint32_t modifier = modifierNamed(parts.at(i));
        if (modifier == 0)
            return {};
        binding.modifiers |= modifier;
    }
    binding.key = Keysym::find(parts.constLast(), Qt::CaseInsensitive);
    if (!binding.key)
        return {};
    binding.key = binding.key->lower();
    return binding;
}

} // namespace quillo::fakeportal
