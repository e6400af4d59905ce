#include "platform/x11/DesktopEntryIndex.h"
#include "platform/x11/X11Permissions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/time.h>

#include <ctime>

namespace quillo {
namespace {

TEST(DesktopEntryIndex, ParsesTheMainGroupOfVisibleApplications)
{
    struct Case {
        const char *name;
        const char *text;
        const char *locale;
        std::optional<QString> expectedName;
    };
    const std::vector<Case> cases{
        {"plain", "[Desktop Entry]\nType=Application\nName=Editor\n", "en_US", QStringLiteral("Editor")},
        {"country", "[Desktop Entry]\nType=Application\nName=Editor\nName[zh]=编辑\nName[zh_CN]=编辑器\n", "zh_CN",
            QStringLiteral("编辑器")},
        {"language", "[Desktop Entry]\nType=Application\nName=Editor\nName[zh]=编辑\n", "zh_TW",
            QStringLiteral("编辑")},
        {"noName", "[Desktop Entry]\nType=Application\n", "en_US", QStringLiteral("the-id")},
        {"actionGroupIgnored", "[Desktop Entry]\nType=Application\nName=Main\n[Desktop Action new]\nName=New Window\n",
            "en_US", QStringLiteral("Main")},
        {"hidden", "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n", "en_US", std::nullopt},
        {"link", "[Desktop Entry]\nType=Link\nName=Site\n", "en_US", std::nullopt},
        {"otherGroupOnly", "[Something]\nType=Application\nName=X\n", "en_US", std::nullopt},
    };
    for (const Case &c : cases) {
        const auto entry = DesktopEntryIndex::parse(QStringLiteral("the-id"), c.text, QString::fromLatin1(c.locale));
        ASSERT_EQ(entry.has_value(), c.expectedName.has_value()) << c.name;
        if (entry) {
            EXPECT_EQ(entry->name, *c.expectedName) << c.name;
        }
    }
}

TEST(DesktopEntryIndex, ResolvesTheProgramOfExecPastEnvironmentAndQuotes)
{
    const QString sh = QFileInfo(QStringLiteral("/bin/sh")).canonicalFilePath();
    for (const char *exec : {"Exec=sh -c true", "Exec=env A=1 B=2 sh %U", "Exec=\"/bin/sh\" --flag"}) {
        const QByteArray text = QByteArray("[Desktop Entry]\nType=Application\nName=X\n") + exec + "\n";
        const auto entry = DesktopEntryIndex::parse(QStringLiteral("x"), text, {});
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->program, sh) << exec;
    }
}

class DesktopEntryMatch : public testing::Test {
protected:
    void write(const QString &dir, const QString &file, const QByteArray &body)
    {
        const QString path = root_.filePath(dir + QLatin1Char('/') + file);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Desktop Entry]\nType=Application\n" + body);
    }
    DesktopEntryIndex index() { return DesktopEntryIndex({root_.filePath("home"), root_.filePath("system")}, {}); }

    // An installed program, started from a launcher or a terminal.
    QString program()
    {
        const QString path = root_.filePath("bin/tool");
        QDir().mkpath(root_.filePath("bin"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return QFileInfo(path).canonicalFilePath();
    }

    QTemporaryDir root_;
};

TEST_F(DesktopEntryMatch, FindsTheEntryOfAWindow)
{
    write("system", "debian-xterm.desktop", "Name=XTerm\nExec=xterm\nStartupWMClass=XTerm\n");
    write("system", "org.example.Notes.desktop", "Name=Notes\nExec=/opt/notes/bin/notes\n");
    write("system", "kde4/kwrite.desktop", "Name=KWrite\nExec=kwrite\n");
    const QString tool = program();
    const QByteArray exec = "Exec=" + tool.toUtf8() + " %U\n";
    write("system", "a-in-terminal.desktop", "Name=In Terminal\nTerminal=true\n" + exec);
    write("system", "b-helper.desktop", "Name=Helper\nNoDisplay=true\n" + exec);
    write("system", "c-tool.desktop", "Name=Tool\n" + exec);
    write("system", "d-helper.desktop", "Name=Helper 2\nNoDisplay=true\n" + exec);
    write("system", "python3.desktop", "Name=Python\nExec=/usr/bin/python3\n");
    auto entries = index();

    struct Case {
        QString windowClass, instance, executable;
        std::optional<QString> id;
    };
    const std::vector<Case> cases{
        {"XTerm", "xterm", "", QStringLiteral("debian-xterm")},
        {"xterm", "", "", QStringLiteral("debian-xterm")}, // declared class, any case
        {"org.example.notes", "notes", "", QStringLiteral("org.example.Notes")},
        {"kde4-kwrite", "", "", QStringLiteral("kde4-kwrite")},
        {"Unknown", "unknown", tool, QStringLiteral("c-tool")}, // by executable: visible, not in a terminal
        {"Unknown", "unknown", QStringLiteral("/usr/bin/python3.11"), std::nullopt}, // an interpreter names nothing
        {"Unknown", "unknown", "", std::nullopt},
        {"", "", "", std::nullopt},
    };
    for (const Case &c : cases) {
        const auto entry = entries.match(c.windowClass, c.instance, c.executable);
        EXPECT_EQ(entry ? std::optional(entry->id) : std::nullopt, c.id) << c.windowClass.toStdString();
    }
}

TEST_F(DesktopEntryMatch, UserEntriesHideSystemOnesAndNewFilesAreSeen)
{
    write("system", "notes.desktop", "Name=System Notes\n");
    write("home", "notes.desktop", "Name=My Notes\n");
    auto entries = index();
    ASSERT_TRUE(entries.match("notes", "", ""));
    EXPECT_EQ(entries.match("notes", "", "")->name, QStringLiteral("My Notes"));
    EXPECT_FALSE(entries.match("later", "", ""));

    write("home", "later.desktop", "Name=Installed Later\n");
    // A folder's time moves on when a file is added; make sure it differs even within one millisecond.
    const timeval later[2] = {{std::time(nullptr) + 5, 0}, {std::time(nullptr) + 5, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(root_.filePath("home")).constData(), later), 0);
    ASSERT_TRUE(entries.match("later", "", ""));
    EXPECT_EQ(entries.match("later", "", "")->name, QStringLiteral("Installed Later"));
}

TEST(X11Permissions, SaysPlainlyWhenThereIsNoX11)
{
    EXPECT_TRUE(X11Permissions::sessionProblemFor(true, true).isEmpty()); // XWayland is enough
    EXPECT_TRUE(X11Permissions::sessionProblemFor(false, true).contains(QStringLiteral("Wayland")));
    EXPECT_TRUE(X11Permissions::sessionProblemFor(false, false).contains(QStringLiteral("X11")));
}

} // namespace
} // namespace quillo
