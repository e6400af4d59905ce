// Fuzz target: the stored history document, as read at start-up.
#include "platform/fake/MemoryDefaultsStore.h"
#include "settings/HistoryStore.h"

#include <cstdint>

using namespace quillo;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray document(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto entries = HistoryStore::decode(document);
    // A document that reads is written back and read again to the same entries.
    if (entries)
        check(HistoryStore::decode(HistoryStore::encode(*entries)) == entries);

    // The store keeps what it read, and the next dictation neither loses it nor leaves an
    // unreadable document behind: one it could not read is kept aside.
    MemoryDefaultsStore defaults;
    defaults.setValue(QString::fromLatin1(HistoryStore::key), document);
    HistoryStore store(defaults);
    check(entries ? store.entries() == *entries : store.entries().empty());
    store.add(HistoryEntry{QUuid::createUuid(), 1.0, QStringLiteral("raw"), QStringLiteral("text"),
        QStringLiteral("app"), 2.0, std::nullopt});
    const auto saved = HistoryStore::decode(defaults.value(QString::fromLatin1(HistoryStore::key))->toByteArray());
    check(saved && *saved == store.entries());
    if (!entries)
        check(defaults.value(QString::fromLatin1(HistoryStore::backupKey)) == QVariant(document));
    return 0;
}
