#include "settings/HistoryStore.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace quillo {

namespace {

QString keyName(const char *key)
{
    return QString::fromLatin1(key);
}

// JSON has no NaN or infinity: one such number would make every later save of
// the list fail, so it is stored as 0.
double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

HistoryStore::HistoryStore(DefaultsStore &defaults, QObject *parent)
    : QObject(parent)
    , defaults_(defaults)
{
    load();
}

void HistoryStore::load()
{
    const auto stored = defaults_.value(keyName(key));
    if (!stored)
        return;
    const auto decoded = stored->typeId() == QMetaType::QByteArray ? decode(stored->toByteArray()) : std::nullopt;
    if (!decoded) {
        unreadable_ = *stored;
        return;
    }
    entries_ = *decoded;
}

void HistoryStore::add(HistoryEntry entry)
{
    entry.date = finiteOrZero(entry.date);
    entry.seconds = finiteOrZero(entry.seconds);
    entries_.insert(entries_.begin(), std::move(entry));
    if (entries_.size() > limit)
        entries_.resize(limit);
    save();
    emit entriesChanged();
}

void HistoryStore::save()
{
    if (unreadable_)
        backUpUnreadable();
    defaults_.setValue(keyName(key), encode(entries_));
}

void HistoryStore::backUpUnreadable()
{
    // Never overwrite an earlier backup: each damaged document gets its own key.
    QString slot = keyName(backupKey);
    for (int n = 2; defaults_.contains(slot); ++n) {
        if (defaults_.value(slot) == unreadable_)
            break;
        slot = keyName(backupKey) + QString::number(n);
    }
    defaults_.setValue(slot, *unreadable_);
    unreadable_.reset();
}

QByteArray HistoryStore::encode(const std::vector<HistoryEntry> &entries)
{
    QJsonArray array;
    for (const HistoryEntry &entry : entries)
        array.append(toJsonObject(entry));
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<std::vector<HistoryEntry>> HistoryStore::decode(const QByteArray &document)
{
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError || !parsed.isArray())
        return std::nullopt;
    std::vector<HistoryEntry> entries;
    const QJsonArray array = parsed.array();
    entries.reserve(static_cast<std::size_t>(array.size()));
    for (const QJsonValue &value : array) {
        if (!value.isObject())
            return std::nullopt;
        auto entry = historyEntryFromJson(value.toObject());
        if (!entry)
            return std::nullopt;
        entries.push_back(std::move(*entry));
    }
    return entries;
}

} // namespace quillo
