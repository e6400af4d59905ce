#include "Profile.h"

namespace quillo::fakeportal {
namespace {

Profile documented()
{
    Profile profile;
    profile.name = QStringLiteral("documented");
    profile.strictFrontend = false;
    return profile;
}

// Plasma 5.27 with xdg-desktop-portal 1.16.
Profile kde5()
{
    Profile profile;
    profile.name = QStringLiteral("kde5");
    profile.globalShortcutsVersion = 1;
    profile.remoteDesktopVersion = 1;
    profile.clipboardVersion = 0;
    profile.registryVersion = 0;
    profile.shortcuts = ShortcutDesktop::kde;
    profile.keys = KeyMatching::kwin5;
    profile.timestamps = Timestamps::eventMs;
    profile.createSessionShortcuts = true;
    profile.consentOnlyWithAppId = true;
    profile.repeatDelayMs = 600;
    profile.repeatIntervalMs = 40;
    return profile;
}

// GNOME 43 with xdg-desktop-portal 1.16: no shortcuts, a dialog per start.
Profile gnome43()
{
    Profile profile;
    profile.name = QStringLiteral("gnome43");
    profile.globalShortcutsVersion = 0;
    profile.remoteDesktopVersion = 1;
    profile.clipboardVersion = 0;
    profile.registryVersion = 0;
    profile.keys = KeyMatching::mutter;
    profile.timestamps = Timestamps::eventMs;
    return profile;
}

// GNOME 48 with xdg-desktop-portal 1.20.
Profile gnome48()
{
    Profile profile;
    profile.name = QStringLiteral("gnome48");
    profile.globalShortcutsVersion = 1;
    profile.shortcuts = ShortcutDesktop::gnome;
    profile.keys = KeyMatching::mutter;
    profile.timestamps = Timestamps::eventMs;
    profile.realTokens = true;
    profile.gnomeClipboard = true;
    profile.repeatDelayMs = 500;
    profile.repeatIntervalMs = 33;
    return profile;
}

// Hyprland's own portal with xdg-desktop-portal 1.20; it offers no RemoteDesktop.
Profile hyprland()
{
    Profile profile;
    profile.name = QStringLiteral("hyprland");
    profile.globalShortcutsVersion = 1;
    profile.remoteDesktopVersion = 0;
    profile.clipboardVersion = 0;
    profile.shortcuts = ShortcutDesktop::hyprland;
    profile.timestamps = Timestamps::seconds;
    profile.realTokens = true;
    return profile;
}

} // namespace

std::optional<Profile> Profile::named(const QString &name)
{
    for (Profile (*make)() : {documented, kde5, gnome43, gnome48, hyprland}) {
        Profile profile = make();
        if (profile.name == name)
            return profile;
    }
    return std::nullopt;
}

QStringList Profile::names()
{
    return {QStringLiteral("documented"), QStringLiteral("kde5"), QStringLiteral("gnome43"), QStringLiteral("gnome48"),
        QStringLiteral("hyprland")};
}

} // namespace quillo::fakeportal
