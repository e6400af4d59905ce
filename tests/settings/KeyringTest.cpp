// Runs against a real Secret Service (tests/support/with-keyring): a throwaway
// HOME, a private session bus and an unlocked gnome-keyring.
#include "settings/AppSettings.h"

#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "platform/qt/QtKeychainCredentialStore.h"
#include "platform/qt/QtScheduler.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

// The Secret Service's secret: (session, parameters, value, content type).
struct ServiceSecret {
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};
Q_DECLARE_METATYPE(ServiceSecret)

QDBusArgument &operator<<(QDBusArgument &out, const ServiceSecret &secret)
{
    out.beginStructure();
    out << secret.session << secret.parameters << secret.value << secret.contentType;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, ServiceSecret &secret)
{
    in.beginStructure();
    in >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    in.endStructure();
    return in;
}

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

const QString loginCollection = QStringLiteral("/org/freedesktop/secrets/collection/login");

QDBusMessage callSecrets(const QString &interface, const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"), interface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

// As the session's keyring is after login, before its password has been given.
bool lockLogin()
{
    const QList<QDBusObjectPath> collections{QDBusObjectPath(loginCollection)};
    return callSecrets(QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Lock"),
               {QVariant::fromValue(collections)})
               .type()
        == QDBusMessage::ReplyMessage;
}

// As the user typing the password, without a prompt: gnome-keyring's own unlock call.
bool unlockLogin()
{
    qDBusRegisterMetaType<ServiceSecret>();
    const QDBusMessage session = callSecrets(QStringLiteral("org.freedesktop.Secret.Service"),
        QStringLiteral("OpenSession"), {QStringLiteral("plain"), QVariant::fromValue(QDBusVariant(QString()))});
    if (session.type() != QDBusMessage::ReplyMessage || session.arguments().size() != 2)
        return false;
    const ServiceSecret password{
        session.arguments().at(1).value<QDBusObjectPath>(), {}, "throwaway", QStringLiteral("text/plain")};
    return callSecrets(QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
               QStringLiteral("UnlockWithMasterPassword"),
               {QVariant::fromValue(QDBusObjectPath(loginCollection)), QVariant::fromValue(password)})
               .type()
        == QDBusMessage::ReplyMessage;
}

// The real keyring, with its writes refused or never answered.
class FailingWrites final : public CredentialStore {
public:
    FailingWrites(CredentialStore &real, bool answers)
        : real_(real)
        , answers_(answers)
    {
    }
    void read(const QString &service, const QString &account, ReadDone done) override
    {
        real_.read(service, account, std::move(done));
    }
    void write(const QString &, const QString &, const QByteArray &, const QString &, WriteDone done) override
    {
        if (answers_)
            done(unexpected(CredentialError{CredentialError::Kind::denied, QStringLiteral("refused")}));
    }
    void remove(const QString &service, const QString &account, WriteDone done) override
    {
        real_.remove(service, account, std::move(done));
    }

private:
    CredentialStore &real_;
    bool answers_;
};

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

// A new key is one write: when it is refused or never answered, the old key is still there.
TEST_F(KeyringTest, FailedWriteKeepsTheOldKey)
{
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers ? "refused" : "never answers");
        ASSERT_TRUE(save(QStringLiteral("sk-old")));
        FailingWrites store(credentials, answers);
        SecretStore failing(store, scheduler);
        failing.setTimeout(std::chrono::milliseconds(300));
        std::optional<bool> saved;
        failing.save(
            QStringLiteral("sk-new"), account, [&](const SecretStore::SaveResult &r) { saved = r.hasValue(); });
        ASSERT_TRUE(waitFor([&] { return saved.has_value(); }));
        EXPECT_FALSE(*saved);
        EXPECT_EQ(read(service), QStringLiteral("sk-old"));
    }
}

// A keyring still locked after login: the key is there, only not readable yet. The program
// says so instead of asking for a key, a save cannot lose the old one, and the first read
// after the unlock finds it.
TEST_F(KeyringTest, LockedKeyringIsNotAMissingKey)
{
    ASSERT_TRUE(save(QStringLiteral("sk-old")));
    ASSERT_TRUE(lockLogin());
    MemoryDefaultsStore defaults;
    FakeLoginItem loginItem;
    AppSettings settings(defaults, credentials, loginItem, scheduler);
    ASSERT_TRUE(waitFor([&] { return settings.apiKeyState() != APIKeyState::unread; }));
    EXPECT_EQ(settings.apiKeyState(), APIKeyState::storeLocked);

    std::optional<bool> saved;
    settings.setAPIKey(QStringLiteral("sk-new"), [&](const APIKeySaved &r) { saved = r.hasValue(); });
    ASSERT_TRUE(waitFor([&] { return saved.has_value(); }));
    EXPECT_FALSE(*saved);

    ASSERT_TRUE(unlockLogin());
    std::optional<APIKeyRead> fresh;
    settings.readAPIKey([&](const APIKeyRead &r) { fresh = r; });
    ASSERT_TRUE(waitFor([&] { return fresh.has_value(); }));
    EXPECT_EQ(fresh->key, QStringLiteral("sk-old"));
    EXPECT_EQ(settings.apiKeyState(), APIKeyState::stored);
}

} // namespace
} // namespace quillo
