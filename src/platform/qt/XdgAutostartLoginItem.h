#pragma once

#include "platform/LoginItem.h"

#include <QStringList>

namespace quillo {

// Start at login through an XDG autostart entry: <autostart directory>/quillo.desktop.
class XdgAutostartLoginItem final : public LoginItem {
public:
    // command: the program to start, as launchCommand() gives it.
    XdgAutostartLoginItem(QString autostartDirectory, QString command);

    // $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
    static QString standardDirectory();
    // The directories on the PATH of every login session, in their usual order; the
    // user's shell files, which may add more, have not run when autostart does.
    static QStringList loginSearchPath();
    // How an entry names the program at `binary` (the running executable): by its
    // bare file name when a lookup along searchPath finds this very file, as for an
    // installed program; else by its absolute path (a build folder, or another
    // prefix), so login starts this program and no other.
    static QString launchCommand(const QString &binary, const QStringList &searchPath = loginSearchPath());
    // The executable as one argument of an Exec line (quoted and escaped);
    // none when it cannot be written there (control characters).
    static std::optional<QString> execArgument(const QString &executable);

    bool isEnabled() const override;
    Expected<Done, QString> setEnabled(bool enabled) override;

    QString entryPath() const;

private:
    Expected<Done, QString> writeEntry() const;

    QString directory_;
    QString command_;
};

} // namespace quillo
