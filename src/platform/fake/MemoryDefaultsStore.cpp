#include "platform/fake/MemoryDefaultsStore.h"

namespace quillo {

std::optional<QVariant> MemoryDefaultsStore::value(const QString &key) const
{
    if (const auto it = stored_.constFind(key); it != stored_.constEnd())
        return *it;
    if (const auto it = registered_.constFind(key); it != registered_.constEnd())
        return *it;
    return std::nullopt;
}

void MemoryDefaultsStore::setValue(const QString &key, const QVariant &value)
{
    stored_.insert(key, value);
    ++writes_;
}

void MemoryDefaultsStore::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it)
        registered_.insert(it.key(), it.value());
}

std::optional<QVariantMap> MemoryDefaultsStore::persistentDomain(const QString &name) const
{
    if (const auto it = domains_.constFind(name); it != domains_.constEnd())
        return *it;
    return std::nullopt;
}

} // namespace quillo
