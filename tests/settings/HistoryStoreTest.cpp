#include "settings/HistoryStore.h"

#include "platform/fake/MemoryDefaultsStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

namespace quillo {
namespace {

HistoryEntry entry(int n, std::optional<QString> language = std::nullopt)
{
    return HistoryEntry{QUuid::createUuid(), 786000000.0 + n + 0.125, QStringLiteral("raw %1").arg(n),
        QStringLiteral("文本 %1").arg(n), QStringLiteral("Editor"), 1.5 * n, std::move(language)};
}

TEST(HistoryEntryJson, StoredForm)
{
    HistoryEntry e = entry(1, QStringLiteral("ja"));
    e.id = QUuid::fromString(QStringLiteral("0f8fad5b-d9cb-469f-a165-70867728950e"));
    const QByteArray doc = HistoryStore::encode({e, entry(2)});
    EXPECT_FALSE(doc.contains('\n'));
    EXPECT_FALSE(doc.contains(": "));
    const QJsonArray array = QJsonDocument::fromJson(doc).array();
    ASSERT_EQ(array.size(), 2);
    const QJsonObject first = array.at(0).toObject();
    EXPECT_EQ(first.value("id").toString(), QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    EXPECT_TRUE(first.value("date").isDouble());
    EXPECT_EQ(first.value("date").toDouble(), 786000001.125);
    EXPECT_EQ(first.value("language").toString(), QStringLiteral("ja"));
    EXPECT_EQ(first.keys().size(), 7);
    EXPECT_FALSE(array.at(1).toObject().contains("language"));
}

TEST(HistoryEntryJson, DateEpochIs2001)
{
    using namespace std::chrono;
    const auto t = system_clock::time_point(seconds(978307200 + 60));
    EXPECT_EQ(HistoryEntry::dateFrom(t), 60.0);
    HistoryEntry e;
    e.date = 60.0;
    EXPECT_EQ(e.dateAsTimePoint(), t);
}

TEST(HistoryEntryJson, DecodingRejectsAnyBadEntry)
{
    const QByteArray good = R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","date":1.5,"raw":"r","text":"t",)"
                            R"("appName":"A","seconds":2)";
    struct Case {
        QByteArray document;
        bool decodes;
    };
    const std::vector<Case> cases{
        {"[" + good + "}]", true},
        {"[" + good + R"(,"language":null})" + "]", true},
        {"[]", true},
        {"[" + good + R"(,"language":3})" + "]", false},
        {R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","date":1.5,"raw":"r","text":"t","seconds":2}])", false},
        {"[" + QByteArray(good).replace("\"date\":1.5", "\"date\":\"1.5\"") + "}]", false},
        {"[" + QByteArray(good).replace("0F8FAD5B-", "nope-") + "}]", false},
        {"{}", false},
        {"[1]", false},
        {"not json", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HistoryStore::decode(c.document).has_value(), c.decodes) << c.document.toStdString();
}

TEST(HistoryStoreTest, RoundTripKeepsOrderAcrossRestart)
{
    MemoryDefaultsStore defaults;
    std::vector<HistoryEntry> added;
    {
        HistoryStore store(defaults);
        QSignalSpy spy(&store, &HistoryStore::entriesChanged);
        for (int n = 0; n < 3; ++n) {
            added.insert(added.begin(), entry(n, n == 1 ? std::optional<QString>("vi") : std::nullopt));
            store.add(added.front());
        }
        EXPECT_EQ(spy.count(), 3);
        EXPECT_EQ(store.entries(), added);
    }
    const HistoryStore reopened(defaults);
    EXPECT_EQ(reopened.entries(), added);
}

TEST(HistoryStoreTest, KeepsTheNewestFifty)
{
    MemoryDefaultsStore defaults;
    HistoryStore store(defaults);
    for (int n = 0; n < 51; ++n)
        store.add(entry(n));
    ASSERT_EQ(store.entries().size(), 50u);
    EXPECT_EQ(store.entries().front().raw, QStringLiteral("raw 50"));
    EXPECT_EQ(store.entries().back().raw, QStringLiteral("raw 1"));
    EXPECT_EQ(HistoryStore(defaults).entries().size(), 50u);
}

TEST(HistoryStoreTest, UnreadableDocumentIsBackedUpNotLost)
{
    struct Case {
        const char *name;
        QVariant stored;
    };
    const std::vector<Case> cases{
        {"corrupt", QVariant(QByteArray("[{\"id\":"))},
        {"missing appName",
            QVariant(QByteArray(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E",)"
                                R"("date":1,"raw":"r","text":"t","seconds":2}])"))},
        {"text, not data", QVariant(QStringLiteral("[]"))},
    };
    for (const Case &c : cases) {
        MemoryDefaultsStore defaults;
        defaults.setValue("history", c.stored);
        HistoryStore store(defaults);
        EXPECT_TRUE(store.entries().empty()) << c.name;
        EXPECT_EQ(defaults.stored().value("history"), c.stored) << c.name;
        store.add(entry(1));
        EXPECT_EQ(defaults.stored().value("historyUnreadable"), c.stored) << c.name;
        EXPECT_EQ(HistoryStore(defaults).entries().size(), 1u) << c.name;
        store.add(entry(2));
        EXPECT_EQ(defaults.stored().value("historyUnreadable"), c.stored) << c.name;
    }
}

TEST(HistoryStoreTest, ALaterDamageDoesNotOverwriteAnEarlierBackup)
{
    MemoryDefaultsStore defaults;
    defaults.setValue("historyUnreadable", QByteArray("first"));
    defaults.setValue("history", QByteArray("second"));
    HistoryStore(defaults).add(entry(1));
    EXPECT_EQ(defaults.stored().value("historyUnreadable"), QVariant(QByteArray("first")));
    EXPECT_EQ(defaults.stored().value("historyUnreadable2"), QVariant(QByteArray("second")));
}

TEST(HistoryStoreTest, NonFiniteNumbersDoNotBlockSaving)
{
    MemoryDefaultsStore defaults;
    HistoryStore store(defaults);
    HistoryEntry bad = entry(1);
    bad.seconds = std::nan("");
    bad.date = INFINITY;
    store.add(bad);
    store.add(entry(2));
    const HistoryStore reopened(defaults);
    ASSERT_EQ(reopened.entries().size(), 2u);
    EXPECT_EQ(reopened.entries().back().seconds, 0.0);
    EXPECT_EQ(reopened.entries().back().date, 0.0);
}

} // namespace
} // namespace quillo
