#include "platform/wayland/DesktopShortcutSettings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace quillo {

DesktopShortcutSettings::Desktop DesktopShortcutSettings::fromCurrentDesktop(const QString &currentDesktop)
{
    for (const QString &name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (name.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0)
            return Desktop::kde;
        if (name.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0)
            return Desktop::gnome;
        if (name.compare(QLatin1String("Hyprland"), Qt::CaseInsensitive) == 0)
            return Desktop::hyprland;
    }
    return Desktop::other;
}

DesktopShortcutSettings::Desktop DesktopShortcutSettings::current()
{
    return fromCurrentDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

bool DesktopShortcutSettings::open(Desktop desktop)
{
    // The first program found wins; each is started on its own and outlives us.
    QList<std::pair<QString, QStringList>> candidates;
    switch (desktop) {
    case Desktop::kde:
        candidates = {{QStringLiteral("systemsettings"), {QStringLiteral("kcm_keys")}},
            {QStringLiteral("systemsettings5"), {QStringLiteral("kcm_keys")}},
            {QStringLiteral("kcmshell5"), {QStringLiteral("kcm_keys")}}};
        break;
    case Desktop::gnome:
        candidates = {{QStringLiteral("gnome-control-center"), {QStringLiteral("applications")}}};
        break;
    case Desktop::hyprland:
    case Desktop::other:
        return false;
    }
    for (const auto &[program, arguments] : candidates) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty() && QProcess::startDetached(path, arguments))
            return true;
    }
    return false;
}

} // namespace quillo
