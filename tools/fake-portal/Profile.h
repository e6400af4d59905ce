#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace quillo::fakeportal {

// Whose GlobalShortcuts backend answers.
enum class ShortcutDesktop { documented, kde, gnome, hyprland };

// How pressed keys become Activated/Deactivated.
enum class KeyMatching {
    documented, // press of the bound chord, release of its key
    kwin5, // Plasma 5.27: kglobalaccel 5 inside KWin
    kwin6, // Plasma 6.1 and later: a lone modifier fires when it is released
    mutter, // GNOME: external grabs matched on press and on release
};

// What the timestamp of Activated/Deactivated counts.
enum class Timestamps { epochMs, eventMs, seconds };

// One desktop as a client meets it: the frontend's versions of the interfaces
// and the backend behind each.
struct Profile {
    QString name;
    std::uint32_t globalShortcutsVersion = 2;
    std::uint32_t remoteDesktopVersion = 2;
    std::uint32_t clipboardVersion = 1;
    std::uint32_t registryVersion = 1;
    ShortcutDesktop shortcuts = ShortcutDesktop::documented;
    KeyMatching keys = KeyMatching::documented;
    Timestamps timestamps = Timestamps::epochMs;
    // A real frontend: it checks options and closes a remote session whose
    // device selection or start is refused.
    bool strictFrontend = true;
    // Frontend 1.16 hands CreateSession's options to the backend and the
    // backend's "shortcuts" result back; later frontends drop both.
    bool createSessionShortcuts = false;
    // Frontend 1.17 and later: restore tokens are UUIDs and are checked; a
    // restored session hands the same token back.
    bool realTokens = false;
    // KDE 5.27 starts a remote session of an application without an id with
    // a notification, not a dialog.
    bool consentOnlyWithAppId = false;
    // GNOME 48's clipboard: mime types as "(as)", mutter's rejection of an
    // empty list swallowed on the way.
    bool gnomeClipboard = false;
    int repeatDelayMs = 0;
    int repeatIntervalMs = 0;

    static std::optional<Profile> named(const QString &name);
    static QStringList names();
};

} // namespace quillo::fakeportal
