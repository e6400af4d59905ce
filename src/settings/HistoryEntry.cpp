#include "settings/HistoryEntry.h"

#include <QJsonValue>

namespace quillo {

namespace {

// 2001-01-01 00:00:00 UTC in Unix time.
constexpr std::chrono::seconds referenceEpoch{978307200};

std::optional<QString> stringMember(const QJsonObject &object, QLatin1String key)
{
    const QJsonValue v = object.value(key);
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

std::optional<double> numberMember(const QJsonObject &object, QLatin1String key)
{
    const QJsonValue v = object.value(key);
    if (!v.isDouble())
        return std::nullopt;
    return v.toDouble();
}

std::optional<QUuid> uuidMember(const QJsonObject &object)
{
    const auto text = stringMember(object, QLatin1String("id"));
    if (!text || text->size() != 36)
        return std::nullopt;
    const QUuid id = QUuid::fromString(*text);
    if (id.isNull() && *text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

} // namespace

double HistoryEntry::dateFrom(std::chrono::system_clock::time_point t)
{
    const auto sinceUnix = std::chrono::duration<double>(t.time_since_epoch());
    return (sinceUnix - referenceEpoch).count();
}

std::chrono::system_clock::time_point HistoryEntry::dateAsTimePoint() const
{
    const auto sinceUnix = std::chrono::duration<double>(date) + referenceEpoch;
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceUnix));
}

QJsonObject toJsonObject(const HistoryEntry &entry)
{
    QJsonObject object{
        {QLatin1String("id"), entry.id.toString(QUuid::WithoutBraces).toUpper()},
        {QLatin1String("date"), entry.date},
        {QLatin1String("raw"), entry.raw},
        {QLatin1String("text"), entry.text},
        {QLatin1String("appName"), entry.appName},
        {QLatin1String("seconds"), entry.seconds},
    };
    if (entry.language)
        object.insert(QLatin1String("language"), *entry.language);
    return object;
}

std::optional<HistoryEntry> historyEntryFromJson(const QJsonObject &object)
{
    const auto id = uuidMember(object);
    const auto date = numberMember(object, QLatin1String("date"));
    const auto raw = stringMember(object, QLatin1String("raw"));
    const auto text = stringMember(object, QLatin1String("text"));
    const auto appName = stringMember(object, QLatin1String("appName"));
    const auto seconds = numberMember(object, QLatin1String("seconds"));
    if (!id || !date || !raw || !text || !appName || !seconds)
        return std::nullopt;
    HistoryEntry entry{*id, *date, *raw, *text, *appName, *seconds, std::nullopt};
    const QJsonValue language = object.value(QLatin1String("language"));
    if (language.isString())
        entry.language = language.toString();
    else if (!language.isUndefined() && !language.isNull())
        return std::nullopt;
    return entry;
}

} // namespace quillo
