#include "platform/qt/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace quillo {

XdgAutostartLoginItem::XdgAutostartLoginItem(QString autostartDirectory, QString command)
    : directory_(std::move(autostartDirectory))
    , command_(std::move(command))
{
}

QStringList XdgAutostartLoginItem::loginSearchPath()
{
    return {QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"), QStringLiteral("/bin")};
}

QString XdgAutostartLoginItem::launchCommand(const QString &binary, const QStringList &searchPath)
{
    const QFileInfo self(binary);
    const QString name = self.fileName();
    for (const QString &dir : searchPath) {
        const QFileInfo candidate(QDir(dir).filePath(name));
        // A lookup skips what it cannot run and stops at the first program it can.
        if (!candidate.isFile() || !candidate.isExecutable())
            continue;
        if (candidate.canonicalFilePath() == self.canonicalFilePath())
            return name;
        break;
    }
    return self.absoluteFilePath();
}

QString XdgAutostartLoginItem::standardDirectory()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("autostart"));
}

QString XdgAutostartLoginItem::entryPath() const
{
    return QDir(directory_).filePath(QStringLiteral("quillo.desktop"));
}

std::optional<QString> XdgAutostartLoginItem::execArgument(const QString &executable)
{
    // Inside double quotes the Exec syntax escapes " ` $ \ with a backslash; the
    // string-value rule then doubles every backslash again, and % is doubled for
    // field codes.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : executable) {
        if (c.category() == QChar::Other_Control)
            return std::nullopt;
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
            quoted += QStringLiteral("\\\\");
        if (c == QLatin1Char('\\'))
            quoted += QStringLiteral("\\\\\\");
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

bool XdgAutostartLoginItem::isEnabled() const
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.compare(QLatin1String("Hidden=true"), Qt::CaseInsensitive) == 0
            || line.compare(QLatin1String("X-GNOME-Autostart-enabled=false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

Expected<Done, QString> XdgAutostartLoginItem::setEnabled(bool enabled)
{
    if (enabled)
        return writeEntry();
    QFile file(entryPath());
    if (file.exists() && !file.remove())
        return unexpected(file.errorString());
    return Done{};
}

Expected<Done, QString> XdgAutostartLoginItem::writeEntry() const
{
    // A plain program name needs no quoting and reads like the installed desktop entry.
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9._+-]+$"));
    const auto exec = plainName.match(command_).hasMatch() ? std::optional<QString>(command_) : execArgument(command_);
    if (!exec)
        return unexpected(QStringLiteral("the program path cannot be written to an autostart entry"));
    if (!QDir().mkpath(directory_))
        return unexpected(QStringLiteral("cannot create ") + directory_);
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return unexpected(file.errorString());
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Quillo\n"
                                         "Comment=Hold a hotkey, speak, and the text appears at the cursor\n"
                                         "Exec=%1\n"
                                         "Icon=com.nolt.quillo\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(*exec);
    file.write(entry.toUtf8());
    if (!file.commit())
        return unexpected(file.errorString());
    return Done{};
}

} // namespace quillo
