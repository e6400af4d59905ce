#include "platform/qt/QSettingsDefaultsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <functional>
#include <vector>

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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A small disk of its own, so a test can fill it or make it read-only.
class SmallDisk {
public:
    explicit SmallDisk(const QString &path)
        : path_(path.toLocal8Bit())
    {
        mounted_ = ::mount("tmpfs", path_.constData(), "tmpfs", 0, "size=128k,mode=0700") == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(path_.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return mounted_; }
    bool setReadOnly(bool readOnly) const
    {
        const unsigned long flags = MS_REMOUNT | (readOnly ? static_cast<unsigned long>(MS_RDONLY) : 0UL);
        return ::mount("tmpfs", path_.constData(), "tmpfs", flags, "size=128k,mode=0700") == 0;
    }
    // Writes a filler file until no byte is left.
    bool fill() const
    {
        QFile filler(QString::fromLocal8Bit(path_) + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) { }
        const QByteArray byte(1, 'x');
        while (filler.write(byte) == 1 && filler.flush()) { }
        return true;
    }
    void empty() const { QFile::remove(QString::fromLocal8Bit(path_) + QStringLiteral("/filler")); }

private:
    QByteArray path_;
    bool mounted_ = false;
};

struct DiskFault {
    const char *name;
    std::function<bool(const SmallDisk &)> breakDisk;
    std::function<void(const SmallDisk &)> repairDisk;
};

TEST_F(QSettingsDefaultsStoreTest, AFailedWriteKeepsTheFileSaysSoOnceAndLaterWritesLand)
{
    const DiskFault faults[] = {
        {"read-only", [](const SmallDisk &d) { return d.setReadOnly(true); },
            [](const SmallDisk &d) { d.setReadOnly(false); }},
        {"full", [](const SmallDisk &d) { return d.fill(); }, [](const SmallDisk &d) { d.empty(); }},
    };
    for (const DiskFault &fault : faults) {
        SCOPED_TRACE(fault.name);
        const QString path = dir.filePath(QString::fromLatin1(fault.name));
        ASSERT_TRUE(QDir().mkpath(path));
        const SmallDisk disk(path);
        if (!disk.mounted())
            GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
        QSettingsDefaultsStore store(path, QStringLiteral("com.nolt.quillo"));
        QStringList notices;
        store.setWriteFailureHandler([&](const QString &notice) { notices << notice; });
        std::vector<bool> states;
        store.setWriteStateHandler([&](bool failed) { states.push_back(failed); });
        store.setValue("history", QByteArray(R"([{"text":"已经保存的一条"}])"));
        ASSERT_FALSE(store.lastWriteFailed());
        const QByteArray saved = fileBytes(store.filePath());
        ASSERT_TRUE(saved.contains("history"));

        ASSERT_TRUE(fault.breakDisk(disk));
        const QByteArray longer(8 * 1024, 'y');
        store.setValue("history", longer);
        EXPECT_TRUE(store.lastWriteFailed());
        store.setValue("language", QStringLiteral("en"));
        EXPECT_TRUE(store.lastWriteFailed());
        EXPECT_EQ(notices.size(), 1) << "told once per streak of failures";
        EXPECT_EQ(states, std::vector<bool>{true});
        EXPECT_EQ(fileBytes(store.filePath()), saved) << "the stored file is untouched";
        EXPECT_EQ(store.bytes("history"), longer) << "the running program keeps what it has";

        fault.repairDisk(disk);
        store.setValue("language", QStringLiteral("zh"));
        EXPECT_FALSE(store.lastWriteFailed());
        EXPECT_EQ(states, (std::vector<bool>{true, false})) << "the menu's warning goes away";
        EXPECT_EQ(QSettingsDefaultsStore(path, QStringLiteral("com.nolt.quillo")).bytes("history"), longer);

        ASSERT_TRUE(fault.breakDisk(disk));
        store.setValue("language", QStringLiteral("en"));
        EXPECT_EQ(notices.size(), 2) << "a new streak is told again";
        fault.repairDisk(disk);
    }
}

TEST_F(QSettingsDefaultsStoreTest, ACorruptFileIsKeptAsideAndTheProgramGoesOn)
{
    const QByteArray garbage("\x00\xff\xfe[[[General\n=\x01\x02@ByteArray(\nhistory=\"@ByteArray(\x80\n\x00", 45);
    const QString path = dir.filePath("com.nolt.quillo.conf");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    QSettingsDefaultsStore store(dir.path(), QStringLiteral("com.nolt.quillo"));
    store.setValue("language", QStringLiteral("en"));
    EXPECT_FALSE(store.lastWriteFailed());
    EXPECT_EQ(fileBytes(path + QStringLiteral(".unreadable")), garbage);
    EXPECT_EQ(store.damagedCopy(), path + QStringLiteral(".unreadable")) << "for the menu's warning";
    const QSettingsDefaultsStore again(dir.path(), QStringLiteral("com.nolt.quillo"));
    EXPECT_EQ(again.text("language"), QStringLiteral("en"));
    EXPECT_TRUE(again.damagedCopy().isEmpty());
}

} // namespace
} // namespace quillo
