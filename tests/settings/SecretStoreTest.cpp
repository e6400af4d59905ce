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
    const auto record = [&](bool ok) { results.push_back(ok); };
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
    secrets->save(QStringLiteral("k"), account, [&](bool ok) { saved = ok; });
    EXPECT_FALSE(saved);
    // Clearing is not reported done while the old key may still be there.
    saved = true;
    secrets->save(QString(), account, [&](bool ok) { saved = ok; });
    EXPECT_FALSE(saved);
}

TEST_F(SecretStoreTest, OperationsCompleteInCallOrder)
{
    backend.setMode(MemoryCredentialStore::Mode::deferred);
    std::vector<QString> events;
    secrets->save(QStringLiteral("a"), account, [&](bool) { events.push_back("saved a"); });
    secrets->read(account, service, [&](std::optional<QString> v) { events.push_back("read " + v.value_or("-")); });
    secrets->save(QString(), account, [&](bool) { events.push_back("cleared"); });
    secrets->read(account, service, [&](std::optional<QString> v) { events.push_back("read " + v.value_or("-")); });
    // Only one call is ever in flight.
    EXPECT_EQ(backend.pendingCount(), 1u);
    for (int i = 0; i < 10 && backend.pendingCount() > 0; ++i)
        backend.completePending();
    EXPECT_EQ(events, (std::vector<QString>{"saved a", "read a", "cleared", "read -"}));
}

TEST_F(SecretStoreTest, SilentStoreTimesOutAndItsLateAnswerIsIgnored)
{
    backend.plant(service, account, "k");
    backend.setMode(MemoryCredentialStore::Mode::deferred);
    secrets->setTimeout(std::chrono::seconds(5));
    int answers = 0;
    std::optional<QString> first = QStringLiteral("<none yet>");
    secrets->read(account, service, [&](std::optional<QString> v) {
        ++answers;
        first = v;
    });
    std::optional<QString> second;
    secrets->read(account, service, [&](std::optional<QString> v) { second = v; });
    scheduler.advance(std::chrono::seconds(4));
    EXPECT_EQ(answers, 0);
    scheduler.advance(std::chrono::seconds(1));
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(first, std::nullopt);
    // The second call starts once the first has given up; the first's late
    // answer counts for neither.
    EXPECT_EQ(backend.pendingCount(), 2u);
    backend.completePending();
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(first, std::nullopt);
    EXPECT_EQ(second, QStringLiteral("k"));
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
