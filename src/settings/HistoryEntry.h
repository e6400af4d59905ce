#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <chrono>
#include <optional>

namespace quillo {

// One delivered dictation.
struct HistoryEntry {
    QUuid id;
    // Seconds since 2001-01-01 00:00:00 UTC, the stored form's own epoch; kept
    // as that number so an entry reads back exactly as it was written.
    double date = 0;
    QString raw; // the transcript before refinement
    QString text; // what was delivered
    QString appName; // the application it was meant for
    double seconds = 0;
    std::optional<QString> language; // "en", "ja", "vi" when translated

    friend bool operator==(const HistoryEntry &, const HistoryEntry &) = default;

    static double dateFrom(std::chrono::system_clock::time_point t);
    std::chrono::system_clock::time_point dateAsTimePoint() const;
};

// The stored object: id as upper-case UUID text, "language" only when set.
QJsonObject toJsonObject(const HistoryEntry &entry);
// Every member but "language" is required and typed; none on any mismatch.
std::optional<HistoryEntry> historyEntryFromJson(const QJsonObject &object);

} // namespace quillo
