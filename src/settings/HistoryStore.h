#pragma once

#include "platform/DefaultsStore.h"
#include "settings/HistoryEntry.h"

#include <QObject>

#include <optional>
#include <vector>

namespace quillo {

// The most recent dictations, newest first, kept in the defaults store as one
// compact JSON array under "history" and written after every addition.
// A stored document that cannot be read starts an empty list, and its bytes are
// kept under "historyUnreadable" when the first new entry replaces it, so a
// damaged file never silently costs the user their history. Main thread only.
class HistoryStore final : public QObject {
    Q_OBJECT
public:
    static constexpr auto key = "history";
    static constexpr auto backupKey = "historyUnreadable";
    static constexpr std::size_t limit = 50;

    // Build it after AppSettings, whose construction copies the earlier
    // product's history into the store.
    explicit HistoryStore(DefaultsStore &defaults, QObject *parent = nullptr);

    const std::vector<HistoryEntry> &entries() const { return entries_; }
    // Puts entry first, drops the oldest beyond the limit, saves.
    void add(HistoryEntry entry);

    static QByteArray encode(const std::vector<HistoryEntry> &entries);
    static std::optional<std::vector<HistoryEntry>> decode(const QByteArray &document);

signals:
    void entriesChanged();

private:
    void load();
    void save();
    void backUpUnreadable();

    DefaultsStore &defaults_;
    std::vector<HistoryEntry> entries_;
    std::optional<QVariant> unreadable_;
};

} // namespace quillo
