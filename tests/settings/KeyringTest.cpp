// Runs against a real Secret Service (tests/support/with-keyring): a throwaway
// HOME, a private session bus and an unlocked gnome-keyring.
#include "settings/AppSettings.h"

#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "platform/qt/QtKeychainCredentialStore.h"
#include "platform/qt/QtScheduler.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

namespace quillo {
namespace {

const QString service = QString::fromLatin1(SecretStore::credentialService);
const QString legacyService = QString::fromLatin1(SecretStore::legacyCredentialService);
const QString account = QString::fromLatin1(SecretStore::apiKeyAccount);

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_keyring";
    static char *argv[] = {name, nullptr};
    static auto *app = new QCoreApplication(argc, argv); // lives until exit; D-Bus objects outlive tests
    (void)app;
}

// Spins the event loop until done() or ten seconds have passed.
template <typename Predicate> bool waitFor(Predicate done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

class KeyringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        // Never touch a real user's keyring: only the launcher's throwaway HOME will do.
        if (qEnvironmentVariableIsEmpty("GNOME_KEYRING_CONTROL") || !QDir::homePath().startsWith(QDir::tempPath()))
            GTEST_SKIP() << "needs tests/support/with-keyring";
    }

    std::optional<QString> read(const QString &svc)
    {
        bool answered = false;
        std::optional<QString> result;
        secrets.read(account, svc, [&](std::optional<QString> v) {
            result = std::move(v);
            answered = true;
        });
        EXPECT_TRUE(waitFor([&] { return answered; }));
        return result;
    }

    bool save(const QString &value)
    {
        std::optional<bool> saved;
        secrets.save(value, account, [&](const SecretStore::SaveResult &r) { saved = r.hasValue(); });
        EXPECT_TRUE(waitFor([&] { return saved.has_value(); }));
        return saved.value_or(false);
    }

    bool writeDirect(const QString &svc, const QByteArray &secret)
    {
        std::optional<bool> ok;
        credentials.write(svc, account, secret, {}, [&](auto result) { ok = result.hasValue(); });
        EXPECT_TRUE(waitFor([&] { return ok.has_value(); }));
        return ok.value_or(false);
    }

    QtScheduler scheduler;
    QtKeychainCredentialStore credentials;
    SecretStore secrets{credentials, scheduler};
};

TEST_F(KeyringTest, SaveReadReplaceDelete)
{
    EXPECT_EQ(read(service), std::nullopt);
    ASSERT_TRUE(save(QStringLiteral("sk-第一")));
    EXPECT_EQ(read(service), QStringLiteral("sk-第一"));
    ASSERT_TRUE(save(QStringLiteral("sk-second")));
    EXPECT_EQ(read(service), QStringLiteral("sk-second"));

    // Other tools of the desktop see the same text.
    QProcess lookup;
    lookup.start(QStringLiteral("secret-tool"), {"lookup", "server", service, "user", account});
    ASSERT_TRUE(lookup.waitForFinished(5000));
    EXPECT_EQ(lookup.readAllStandardOutput().trimmed(), QByteArray("sk-second"));

    ASSERT_TRUE(save(QString()));
    EXPECT_EQ(read(service), std::nullopt);
    // Deleting what is not there is no failure.
    EXPECT_TRUE(save(QString()));
}

TEST_F(KeyringTest, LegacyKeyIsCopiedToTheNewService)
{
    ASSERT_TRUE(save(QString()));
    ASSERT_TRUE(writeDirect(legacyService, "sk-legacy"));
    MemoryDefaultsStore defaults;
    FakeLoginItem loginItem;
    AppSettings settings(defaults, credentials, loginItem, scheduler);
    bool loaded = false;
    settings.whenAPIKeyLoaded([&] { loaded = true; });
    ASSERT_TRUE(waitFor([&] { return loaded; }));
    EXPECT_TRUE(settings.apiKeyConfigured());
    EXPECT_EQ(read(service), QStringLiteral("sk-legacy"));
    EXPECT_EQ(read(legacyService), QStringLiteral("sk-legacy"));

    std::optional<bool> saved;
    settings.setAPIKey(QStringLiteral(" sk-typed\n"), [&](const APIKeySaved &r) { saved = r.hasValue(); });
    ASSERT_TRUE(waitFor([&] { return saved.has_value(); }));
    EXPECT_EQ(saved, true);
    EXPECT_EQ(read(service), QStringLiteral("sk-typed"));

    // Stored behind the program's back, as `quillo --import-env` in another process does.
    ASSERT_TRUE(writeDirect(service, "sk-elsewhere"));
    std::optional<APIKeyRead> fresh;
    settings.readAPIKey([&](const APIKeyRead &r) { fresh = r; });
    ASSERT_TRUE(waitFor([&] { return fresh.has_value(); }));
    EXPECT_EQ(fresh->key, QStringLiteral("sk-elsewhere"));
    EXPECT_FALSE(fresh->storeFailed);
}

} // namespace
} // namespace quillo
