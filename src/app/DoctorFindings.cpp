#include "app/DoctorFindings.h"

namespace quillo {

namespace {

bool names(const QString &currentDesktop, QLatin1StringView name)
{
    const QStringList parts = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(),
        [name](const QString &part) { return part.compare(name, Qt::CaseInsensitive) == 0; });
}

bool offers(const QStringList &globals, QLatin1StringView prefix)
{
    return std::any_of(
        globals.begin(), globals.end(), [prefix](const QString &global) { return global.startsWith(prefix); });
}

} // namespace

DoctorFindings::Compositor DoctorFindings::compositorFrom(
    const QString &currentDesktop, bool swaySocket, bool hyprlandSocket, const std::optional<QStringList> &globals)
{
    if (hyprlandSocket)
        return Compositor::hyprland;
    if (swaySocket)
        return Compositor::sway;
    // Globals only that compositor offers; sway too offers org_kde_kwin_server_decoration_manager.
    const QStringList offered = globals.value_or(QStringList());
    if (offers(offered, QLatin1StringView("hyprland_")))
        return Compositor::hyprland;
    if (offers(offered, QLatin1StringView("org_kde_plasma_"))
        || offers(offered, QLatin1StringView("kde_output_device")))
        return Compositor::kwin;
    if (offered.contains(QLatin1String("gtk_shell1")))
        return Compositor::mutter;
    if (names(currentDesktop, QLatin1StringView("Hyprland")))
        return Compositor::hyprland;
    if (names(currentDesktop, QLatin1StringView("sway")))
        return Compositor::sway;
    if (names(currentDesktop, QLatin1StringView("KDE")))
        return Compositor::kwin;
    if (names(currentDesktop, QLatin1StringView("GNOME")))
        return Compositor::mutter;
    return globals ? Compositor::other : Compositor::unknown;
}

DoctorFindings::Desktop DoctorFindings::desktopFrom(const QString &currentDesktop, Compositor compositor)
{
    if (names(currentDesktop, QLatin1StringView("GNOME")) || compositor == Compositor::mutter)
        return Desktop::gnome;
    if (names(currentDesktop, QLatin1StringView("KDE")) || compositor == Compositor::kwin)
        return Desktop::kde;
    if (compositor == Compositor::sway)
        return Desktop::sway;
    if (compositor == Compositor::hyprland)
        return Desktop::hyprland;
    return Desktop::other;
}

} // namespace quillo
