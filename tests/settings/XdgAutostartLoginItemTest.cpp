#include "platform/qt/XdgAutostartLoginItem.h"

#include <QFile>
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
