#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillo {

// Applications installed on this desktop, from the desktop entries in the XDG
// data directories, for naming the owner of a window.
class DesktopEntryIndex {
public:
    struct Entry {
        QString id; // file name without ".desktop"; "kde4/a.desktop" is "kde4-a"
        QString name; // Name in the user's language where the entry has it
        QString program; // Exec's (or TryExec's) program, resolved and canonical
        QString startupWMClass; // the window class the entry declares
        bool terminal = false; // runs inside a terminal window
        bool noDisplay = false;
    };

    // applicationDirs: ".../applications" folders, most important first.
    // locale: "zh_CN" and the like, for localised names.
    DesktopEntryIndex(QStringList applicationDirs, QString locale);
    // The XDG directories of this session ($XDG_DATA_HOME, $XDG_DATA_DIRS).
    static QStringList systemApplicationDirs();

    // The entry of a window: by declared window class, by entry id equal to the
    // window class or instance, then by the process's executable. Rescans when
    // an applications folder changed.
    std::optional<Entry> match(const QString &windowClass, const QString &windowInstance, const QString &executable);

    // One entry from the text of a desktop file; none when it is not a visible application.
    static std::optional<Entry> parse(const QString &id, const QByteArray &text, const QString &locale);

private:
    void rescanIfChanged();

    QStringList dirs_;
    QString locale_;
    std::vector<QDateTime> stamps_;
    std::vector<Entry> entries_;
};

} // namespace quillo
