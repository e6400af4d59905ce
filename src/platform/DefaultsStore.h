#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace quillo {

// The per-user key-value store of settings (one domain per application).
// Reads answer with the stored value, else with a registered default; values
// are text, booleans, byte data or numbers.
class DefaultsStore {
public:
    virtual ~DefaultsStore() = default;

    // The stored value, else the registered default, else none.
    virtual std::optional<QVariant> value(const QString &key) const = 0;
    // Whether the store itself holds key; registered defaults do not count.
    virtual bool contains(const QString &key) const = 0;
    virtual void setValue(const QString &key, const QVariant &value) = 0;
    virtual void remove(const QString &key) = 0;
    // Answers for keys never written; kept in memory only, replaced per key.
    virtual void registerDefaults(const QVariantMap &defaults) = 0;
    // The stored pairs of another application's domain; none when it does not exist.
    virtual std::optional<QVariantMap> persistentDomain(const QString &name) const = 0;
    // handler runs (on the main thread) after another program changed the stored
    // values, once they read as changed; an empty handler stops it.
    virtual void setExternalChangeHandler(std::function<void()> handler) = 0;

    // Typed reads. Text and booleans convert like the platform's stores do
    // ("true" reads as true); byte data is only ever byte data.
    std::optional<QString> text(const QString &key) const;
    std::optional<bool> boolean(const QString &key) const;
    std::optional<QByteArray> bytes(const QString &key) const;
};

inline std::optional<QString> DefaultsStore::text(const QString &key) const
{
    const auto v = value(key);
    if (!v)
        return std::nullopt;
    switch (v->typeId()) {
    case QMetaType::QString:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return v->toString();
    default:
        return std::nullopt;
    }
}

inline std::optional<bool> DefaultsStore::boolean(const QString &key) const
{
    const auto v = value(key);
    if (!v)
        return std::nullopt;
    if (v->typeId() == QMetaType::QString) {
        const QString s = v->toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("yes"))
            return true;
        bool isNumber = false;
        const int n = s.toInt(&isNumber);
        return isNumber && n != 0;
    }
    if (!v->canConvert<bool>())
        return std::nullopt;
    return v->toBool();
}

inline std::optional<QByteArray> DefaultsStore::bytes(const QString &key) const
{
    const auto v = value(key);
    if (!v || v->typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v->toByteArray();
}

} // namespace quillo
