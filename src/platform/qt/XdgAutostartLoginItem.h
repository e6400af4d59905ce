#pragma once

#include "platform/LoginItem.h"

namespace quillo {

// Start at login through an XDG autostart entry: <autostart directory>/quillo.desktop.
class XdgAutostartLoginItem final : public LoginItem {
public:
    // executable: absolute path of the program to start.
    XdgAutostartLoginItem(QString autostartDirectory, QString executable);

    // $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
    static QString standardDirectory();
    // The executable as one argument of an Exec line (quoted and escaped);
    // none when it cannot be written there (control characters).
    static std::optional<QString> execArgument(const QString &executable);

    bool isEnabled() const override;
    Expected<Done, QString> setEnabled(bool enabled) override;

    QString entryPath() const;

private:
    Expected<Done, QString> writeEntry() const;

    QString directory_;
    QString executable_;
};

} // namespace quillo
