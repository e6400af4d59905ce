#include "platform/qt/QSettingsDefaultsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace quillo {
namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// Owner, group and other bits; Qt also reports the current user's bits.
constexpr QFileDevice::Permissions modeBits = QFileDevice::Permissions(0x7077);

class QSettingsDefaultsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
};

TEST_F(QSettingsDefaultsStoreTest, ChangesOfAnotherWriterAreReadAndAnnounced)
{
    // The file watcher reports through the event loop.
    static int argc = 1;
    static char name[] = "test_settings";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    QSettingsDefaultsStore running(dir.path(), QStringLiteral("com.nolt.quillo"));
    running.setValue("history", QByteArray("[]"));
    int announced = 0;
    running.setExternalChangeHandler([&] { ++announced; });
    {
        // Another process: quillo --import-env writing the host.
        QSettingsDefaultsStore other(dir.path(), QStringLiteral("com.nolt.quillo"));
        other.setValue("apiHost", QStringLiteral("dashscope-intl.aliyuncs.com"));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return announced > 0; }, 5000));
    EXPECT_EQ(running.text("apiHost"), QStringLiteral("dashscope-intl.aliyuncs.com"));
    // Our own data written before is still there, and a second change is seen too (the watch
    // survives the file being replaced).
    EXPECT_EQ(running.bytes("history"), QByteArray("[]"));
    QSettingsDefaultsStore(dir.path(), QStringLiteral("com.nolt.quillo")).setValue("language", QStringLiteral("en"));
    const int before = announced;
    EXPECT_TRUE(QTest::qWaitFor([&] { return announced > before; }, 5000));
    EXPECT_EQ(running.text("language"), QStringLiteral("en"));
    running.setExternalChangeHandler({});
}

TEST_F(QSettingsDefaultsStoreTest, ValuesSurviveReopenWithTheirTypes)
{
    const QByteArray json = R"({"keyCode":49,"modifiers":524288,"isModifierOnly":false})";
    const QByteArray binary("\x00\xff@ByteArray(", 13);
    {
        QSettingsDefaultsStore store(dir.path(), QStringLiteral("com.nolt.quillo"));
        store.setValue("toggleHotkey", json);
        store.setValue("holdHotkey", QByteArray());
        store.setValue("history", binary);
        store.setValue("apiHost", QStringLiteral("@host 中文/="));
        store.setValue("playSounds", false);
        store.setValue("gone", 1);
        store.remove("gone");
        EXPECT_FALSE(store.lastWriteFailed());
    }
    const QSettingsDefaultsStore store(dir.path(), QStringLiteral("com.nolt.quillo"));
    EXPECT_EQ(store.bytes("toggleHotkey"), json);
    EXPECT_EQ(store.bytes("holdHotkey"), QByteArray());
    EXPECT_EQ(store.bytes("history"), binary);
    EXPECT_EQ(store.text("apiHost"), QStringLiteral("@host 中文/="));
    EXPECT_EQ(store.bytes("apiHost"), std::nullopt);
    EXPECT_EQ(store.boolean("playSounds"), false);
    EXPECT_FALSE(store.contains("gone"));
    // On disk at once, not only in the process's settings cache.
    QFile file(dir.filePath("com.nolt.quillo.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray onDisk = file.readAll();
    EXPECT_TRUE(onDisk.contains("toggleHotkey=\"@ByteArray("));
    EXPECT_TRUE(onDisk.contains("playSounds=false"));
}

TEST_F(QSettingsDefaultsStoreTest, FileIsPrivateEvenIfCreatedOpen)
{
    const QString path = dir.filePath("com.nolt.quillo.conf");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[General]\nlanguage=en\n");
    }
    QFile::setPermissions(path, ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QSettingsDefaultsStore store(dir.path(), QStringLiteral("com.nolt.quillo"));
    EXPECT_EQ(QFile::permissions(path) & modeBits, ownerOnly);
    store.setValue("history", QByteArray("[]"));
    EXPECT_EQ(QFile::permissions(path) & modeBits, ownerOnly);
    EXPECT_EQ(store.text("language"), QStringLiteral("en"));

    QSettingsDefaultsStore fresh(dir.filePath("new/sub"), QStringLiteral("d"));
    fresh.setValue("k", 1);
    EXPECT_EQ(QFile::permissions(fresh.filePath()) & modeBits, ownerOnly);
}

TEST_F(QSettingsDefaultsStoreTest, RegisteredDefaultsAnswerButAreNotStored)
{
    QSettingsDefaultsStore store(dir.path(), QStringLiteral("d"));
    store.registerDefaults({{"language", "zh"}, {"polishEnabled", true}});
    EXPECT_EQ(store.text("language"), QStringLiteral("zh"));
    EXPECT_EQ(store.boolean("polishEnabled"), true);
    EXPECT_FALSE(store.contains("language"));
    store.setValue("language", QStringLiteral("en"));
    EXPECT_EQ(store.text("language"), QStringLiteral("en"));
    EXPECT_EQ(store.value("missing"), std::nullopt);
}

TEST_F(QSettingsDefaultsStoreTest, ReadsAnotherDomainFromItsOwnFile)
{
    {
        QSettingsDefaultsStore legacy(dir.path(), QStringLiteral("me.nolt.tavlo-mac"));
        legacy.setValue("apiHost", QStringLiteral("old.example"));
        legacy.setValue("holdHotkey", QByteArray());
    }
    const QSettingsDefaultsStore store(dir.path(), QStringLiteral("com.nolt.quillo"));
    const auto domain = store.persistentDomain(QStringLiteral("me.nolt.tavlo-mac"));
    ASSERT_TRUE(domain.has_value());
    EXPECT_EQ(domain->value("apiHost"), QVariant(QStringLiteral("old.example")));
    EXPECT_EQ(domain->value("holdHotkey"), QVariant(QByteArray()));
    EXPECT_EQ(domain->size(), 2);
    EXPECT_EQ(store.persistentDomain(QStringLiteral("no.such.domain")), std::nullopt);
    EXPECT_EQ(store.persistentDomain(QStringLiteral("../escape")), std::nullopt);
    EXPECT_FALSE(store.contains("apiHost"));
}

} // namespace
} // namespace quillo
