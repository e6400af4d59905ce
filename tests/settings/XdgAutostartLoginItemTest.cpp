#include "platform/qt/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(XdgAutostartLoginItem, EnableWritesEntryDisableRemovesIt)
{
    QTemporaryDir dir;
    XdgAutostartLoginItem item(dir.filePath("autostart"), QStringLiteral("/opt/My Apps/quillo"));
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true).hasValue());
    EXPECT_TRUE(item.isEnabled());
    QFile f(item.entryPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray entry = f.readAll();
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/My Apps/quillo\"\n"));
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    ASSERT_TRUE(item.setEnabled(false).hasValue());
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.setEnabled(false).hasValue());
}

// A session manager skips an entry it cannot parse, and the user is silently not started at login.
TEST(XdgAutostartLoginItem, EntriesPassDesktopFileValidate)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate (desktop-file-utils) is not installed";
    for (const QString &command : {QStringLiteral("quillo"), QStringLiteral("/opt/My Apps/100% \"quillo\"")}) {
        QTemporaryDir dir;
        XdgAutostartLoginItem item(dir.path(), command);
        ASSERT_TRUE(item.setEnabled(true).hasValue());
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {item.entryPath()});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << command.toStdString() << ": " << validate.readAll().toStdString();
    }
}

TEST(XdgAutostartLoginItem, EntryHiddenByTheDesktopCountsAsOff)
{
    QTemporaryDir dir;
    XdgAutostartLoginItem item(dir.path(), QStringLiteral("/usr/bin/quillo"));
    QFile f(item.entryPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Desktop Entry]\nExec=/usr/bin/quillo\nHidden=true\n");
    f.close();
    EXPECT_FALSE(item.isEnabled());
}

TEST(XdgAutostartLoginItem, ExecArgumentIsQuotedAndEscaped)
{
    struct Case {
        QString path;
        std::optional<QString> expected;
    };
    const std::vector<Case> cases{
        {"/usr/bin/quillo", "\"/usr/bin/quillo\""},
        {"/a b/$x`\"", "\"/a b/\\\\$x\\\\`\\\\\"\""},
        {"/back\\slash", "\"/back\\\\\\\\slash\""},
        {"/100%/q", "\"/100%%/q\""},
        {"/new\nline", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(XdgAutostartLoginItem::execArgument(c.path), c.expected) << c.path.toStdString();
}

// Creates dir/name as a file, executable or not, and returns its path.
QString makeFile(const QString &dir, const QString &name, bool executable = true)
{
    QDir().mkpath(dir);
    QFile f(QDir(dir).filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable)
        mode |= QFileDevice::ExeOwner;
    f.setPermissions(mode);
    return f.fileName();
}

TEST(XdgAutostartLoginItem, LaunchCommandNamesTheInstalledProgramOnlyWhenThePathFindsIt)
{
    QTemporaryDir root;
    const QString r = root.path();
    const QString installed = makeFile(r + "/usr/bin", "quillo");
    const QString built = makeFile(r + "/src/build/app", "quillo");
    const QString elsewhere = makeFile(r + "/opt/quillo", "quillo");
    makeFile(r + "/other/bin", "quillo");
    makeFile(r + "/noexec/bin", "quillo", false);
    QDir().mkpath(r + "/links");
    ASSERT_TRUE(QFile::link(elsewhere, r + "/links/quillo"));
    struct Case {
        const char *what;
        QString binary;
        QStringList path;
        QString expected;
    };
    const std::vector<Case> cases{
        {"installed and first on the path", installed, {r + "/usr/local/bin", r + "/usr/bin"}, "quillo"},
        {"build folder: an installed copy is another program", built, {r + "/usr/bin"}, built},
        {"an earlier quillo on the path would start instead", installed, {r + "/other/bin", r + "/usr/bin"}, installed},
        {"a file the lookup cannot run is skipped", installed, {r + "/noexec/bin", r + "/usr/bin"}, "quillo"},
        {"a symbolic link on the path to this program", elsewhere, {r + "/links"}, "quillo"},
        {"prefix off the login path", elsewhere, {r + "/usr/bin"}, elsewhere},
        {"empty path", installed, {}, installed},
    };
    for (const Case &c : cases)
        EXPECT_EQ(XdgAutostartLoginItem::launchCommand(c.binary, c.path), c.expected) << c.what;
}

TEST(XdgAutostartLoginItem, EntryOfTheInstalledProgramMatchesItsDesktopEntry)
{
    QTemporaryDir dir;
    XdgAutostartLoginItem item(dir.path(), QStringLiteral("quillo"));
    ASSERT_TRUE(item.setEnabled(true).hasValue());
    QFile f(item.entryPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray entry = f.readAll();
    EXPECT_TRUE(entry.contains("\nExec=quillo\n")) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nIcon=com.nolt.quillo\n"));
    EXPECT_TRUE(entry.contains("\nName=Quillo\n"));
}

TEST(XdgAutostartLoginItem, UnwritableDirectoryIsAnError)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    XdgAutostartLoginItem item(dir.filePath("file/autostart"), QStringLiteral("/usr/bin/quillo"));
    EXPECT_FALSE(item.setEnabled(true).hasValue());
    EXPECT_FALSE(item.isEnabled());
}

} // namespace
} // namespace quillo
