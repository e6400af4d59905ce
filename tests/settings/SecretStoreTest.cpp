#include "settings/SecretStore.h"

#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"

#include <gtest/gtest.h>

#include <memory>

namespace quillo {
namespace {

const QString service = QString::fromLatin1(SecretStore::credentialService);
const QString account = QStringLiteral("acct");

class SecretStoreTest : public ::testing::Test {
protected:
    std::optional<QString> readNow(const QString &svc = service)
    {
        std::optional<QString> result = QStringLiteral("<no answer>");
        secrets->read(account, svc, [&](std::optional<QString> v) { result = std::move(v); });
        return result;
    }

    MemoryCredentialStore backend;
    ManualScheduler scheduler;
    std::unique_ptr<SecretStore> secrets = std::make_unique<SecretStore>(backend, scheduler);
};

TEST_F(SecretStoreTest, SaveReplaceDeleteRead)
{
    std::vector<bool> results;
    const auto record = [&](const SecretStore::SaveResult &r) { results.push_back(r.hasValue()); };
    EXPECT_EQ(readNow(), std::nullopt);
    secrets->save(QStringLiteral("密钥-1"), account, record);
    EXPECT_EQ(readNow(), QStringLiteral("密钥-1"));
    secrets->save(QStringLiteral("two"), account, record);
    EXPECT_EQ(readNow(), QStringLiteral("two"));
    secrets->save(QString(), account, record);
    EXPECT_EQ(readNow(), std::nullopt);
    EXPECT_EQ(results, (std::vector<bool>{true, true, true}));
    // Saving always targets our own service; reads may name another.
    backend.plant(QStringLiteral("other"), account, "x");
    EXPECT_EQ(readNow(QStringLiteral("other")), QStringLiteral("x"));
}

TEST_F(SecretStoreTest, UnreadableItemsReadAsNone)
{
    backend.plant(service, account, QByteArray("\xc3\x28", 2));
    EXPECT_EQ(readNow(), std::nullopt);
    backend.setFailure(CredentialError{CredentialError::Kind::unavailable, {}});
    EXPECT_EQ(readNow(), std::nullopt);
    bool saved = true;
    secrets->save(QStringLiteral("k"), account, [&](const SecretStore::SaveResult &r) { saved = r.hasValue(); });
    EXPECT_FALSE(saved);
    // Clearing is not reported done while the old key may still be there.
    saved = true;
    secrets->save(QString(), account, [&](const SecretStore::SaveResult &r) { saved = r.hasValue(); });
    EXPECT_FALSE(saved);
}

TEST_F(SecretStoreTest, OperationsCompleteInCallOrder)
{
    backend.setMode(MemoryCredentialStore::Mode::deferred);
    std::vector<QString> events;
    secrets->save(QStringLiteral("a"), account, [&](const auto &) { events.push_back("saved a"); });
    secrets->read(account, service, [&](std::optional<QString> v) { events.push_back("read " + v.value_or("-")); });
    secrets->save(QString(), account, [&](const auto &) { events.push_back("cleared"); });
    secrets->read(account, service, [&](std::optional<QString> v) { events.push_back("read " + v.value_or("-")); });
    // Only one call is ever in flight.
    EXPECT_EQ(backend.pendingCount(), 1u);
    for (int i = 0; i < 10 && backend.pendingCount() > 0; ++i)
        backend.completePending();
    EXPECT_EQ(events, (std::vector<QString>{"saved a", "read a", "cleared", "read -"}));
}

TEST_F(SecretStoreTest, ASilentStoreFailsEveryCallAsNotAnsweringUntilItAnswersAgain)
{
    using namespace std::chrono_literals;
    backend.plant(service, account, "k");
    backend.setMode(MemoryCredentialStore::Mode::deferred);
    std::vector<SecretStore::CheckedRead> reads;
    const auto record = [&](SecretStore::CheckedRead r) { reads.push_back(std::move(r)); };
    secrets->readChecked(account, service, record);
    secrets->readChecked(account, service, record);
    std::optional<SecretStore::SaveResult> saved;
    secrets->save(QStringLiteral("new"), account, [&](const SecretStore::SaveResult &r) { saved = r; });
    scheduler.advance(SecretStore::defaultTimeout - 1ms);
    EXPECT_TRUE(reads.empty());
    scheduler.advance(1ms);
    // The first call by its time-out, the ones queued behind it at once, without reaching the
    // store: "did not answer", neither "no key" nor a refusal.
    ASSERT_EQ(reads.size(), 2u);
    for (const auto &read : reads) {
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().kind, CredentialError::Kind::timeout);
    }
    ASSERT_TRUE(saved && !*saved);
    EXPECT_EQ(saved->error().kind, CredentialError::Kind::timeout);
    EXPECT_EQ(backend.pendingCount(), 1u);

    // Its late answer reaches nobody; after it the store is asked again.
    backend.completePending();
    EXPECT_EQ(reads.size(), 2u);
    backend.setMode(MemoryCredentialStore::Mode::immediate);
    secrets->readChecked(account, service, record);
    ASSERT_EQ(reads.size(), 3u);
    ASSERT_TRUE(reads.back());
    EXPECT_EQ(reads.back().value(), QStringLiteral("k"));
}

TEST_F(SecretStoreTest, NoCallbackAfterDestruction)
{
    backend.setMode(MemoryCredentialStore::Mode::deferred);
    bool called = false;
    secrets->read(account, service, [&](std::optional<QString>) { called = true; });
    secrets.reset();
    backend.completePending();
    scheduler.advance(std::chrono::minutes(1));
    EXPECT_FALSE(called);
}

TEST_F(SecretStoreTest, CallbackMayDestroyTheStore)
{
    secrets->read(account, service, [&](std::optional<QString>) { secrets.reset(); });
    EXPECT_EQ(secrets, nullptr);
}

} // namespace
} // namespace quillo
