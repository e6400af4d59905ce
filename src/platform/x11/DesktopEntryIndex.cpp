#include "platform/x11/DesktopEntryIndex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

namespace quillo {
namespace {

// Programs that run someone else's code: their executable says nothing about
// which application a window belongs to.
bool isLauncherOrInterpreter(const QString &program)
{
    static const QStringList names{QStringLiteral("env"), QStringLiteral("sh"), QStringLiteral("bash"),
        QStringLiteral("dash"), QStringLiteral("zsh"), QStringLiteral("perl"), QStringLiteral("ruby"),
        QStringLiteral("node"), QStringLiteral("java"), QStringLiteral("gjs"), QStringLiteral("flatpak"),
        QStringLiteral("snap"), QStringLiteral("wine"), QStringLiteral("mono"), QStringLiteral("electron")};
    const QString base = QFileInfo(program).fileName();
    return names.contains(base) || base.startsWith(QLatin1String("python"))
        || base.startsWith(QLatin1String("electron")) || base.startsWith(QLatin1String("java"));
}

// The program of an Exec line: the first word that is not an environment
// assignment or "env", without quotes.
QString execProgram(const QString &exec)
{
    const QStringList words = QProcess::splitCommand(exec);
    for (const QString &word : words) {
        if (word == QLatin1String("env") || (word.contains(QLatin1Char('=')) && !word.startsWith(QLatin1Char('/'))))
            continue;
        return word;
    }
    return {};
}

QString resolveProgram(const QString &program)
{
    if (program.isEmpty())
        return {};
    const QString path = QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

bool sameName(const QString &a, const QString &b)
{
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

DesktopEntryIndex::DesktopEntryIndex(QStringList applicationDirs, QString locale)
    : dirs_(std::move(applicationDirs))
    , locale_(std::move(locale))
{
}

QStringList DesktopEntryIndex::systemApplicationDirs()
{
    QStringList dirs;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    dirs << home + QStringLiteral("/applications");
    QString data = qEnvironmentVariable("XDG_DATA_DIRS");
    if (data.isEmpty())
        data = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : data.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs << dir + QStringLiteral("/applications");
    return dirs;
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::parse(
    const QString &id, const QByteArray &text, const QString &locale)
{
    Entry entry;
    entry.id = id;
    QString type, exec, tryExec, plainName, localName, languageName;
    const QString country = QStringLiteral("Name[%1]").arg(locale);
    const QString language = QStringLiteral("Name[%1]").arg(locale.section(QLatin1Char('_'), 0, 0));
    bool inMain = false;
    bool hidden = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMain = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inMain || line.startsWith(QLatin1Char('#')) || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Type"))
            type = value;
        else if (key == QLatin1String("Name"))
            plainName = value;
        else if (key == country)
            localName = value;
        else if (key == language)
            languageName = value;
        else if (key == QLatin1String("Exec"))
            exec = value;
        else if (key == QLatin1String("TryExec"))
            tryExec = value;
        else if (key == QLatin1String("StartupWMClass"))
            entry.startupWMClass = value;
        else if (key == QLatin1String("Terminal"))
            entry.terminal = value == QLatin1String("true");
        else if (key == QLatin1String("NoDisplay"))
            entry.noDisplay = value == QLatin1String("true");
        else if (key == QLatin1String("Hidden"))
            hidden = value == QLatin1String("true");
    }
    if (hidden || type != QLatin1String("Application"))
        return std::nullopt;
    entry.name = !localName.isEmpty() ? localName : !languageName.isEmpty() ? languageName : plainName;
    if (entry.name.isEmpty())
        entry.name = id;
    entry.program = resolveProgram(!tryExec.isEmpty() ? tryExec : execProgram(exec));
    return entry;
}

void DesktopEntryIndex::rescanIfChanged()
{
    std::vector<QDateTime> stamps;
    for (const QString &dir : dirs_)
        stamps.push_back(QFileInfo(dir).lastModified());
    if (stamps == stamps_ && !stamps_.empty())
        return;
    stamps_ = std::move(stamps);
    entries_.clear();
    QSet<QString> seen; // an earlier folder's entry hides a later one of the same id
    for (const QString &dir : dirs_) {
        QDirIterator it(dir, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(dir).relativeFilePath(path);
            id.chop(8); // ".desktop"
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue;
            seen.insert(id);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) || file.size() > 256 * 1024)
                continue;
            if (auto entry = parse(id, file.readAll(), locale_))
                entries_.push_back(std::move(*entry));
        }
    }
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::match(
    const QString &windowClass, const QString &windowInstance, const QString &executable)
{
    rescanIfChanged();
    // Visible entries win over hidden helpers that happen to match as well.
    const auto best = [this](auto predicate) -> std::optional<Entry> {
        const Entry *found = nullptr;
        for (const Entry &e : entries_) {
            if (predicate(e) && (!found || (found->noDisplay && !e.noDisplay)))
                found = &e;
        }
        return found ? std::optional<Entry>(*found) : std::nullopt;
    };
    if (auto e = best([&](const Entry &e) {
            return sameName(e.startupWMClass, windowClass) || sameName(e.startupWMClass, windowInstance);
        }))
        return e;
    if (auto e = best([&](const Entry &e) { return sameName(e.id, windowClass) || sameName(e.id, windowInstance); }))
        return e;
    if (executable.isEmpty() || isLauncherOrInterpreter(executable))
        return std::nullopt;
    return best([&](const Entry &e) { return !e.terminal && !e.program.isEmpty() && e.program == executable; });
}

} // namespace quillo
