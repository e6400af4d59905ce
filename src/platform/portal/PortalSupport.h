#pragma once

#include <QString>

#include <cstdint>

namespace quillo {

// What the desktop portal of this session offers, as asked at start-up (and again
// whenever the portal restarts).
struct PortalSupport {
    // Whether a backend of the desktop really serves an interface the frontend lists: a
    // frontend may list GlobalShortcuts while no backend implements it, and every call then fails.
    enum class Backend { unknown, implemented, missing };
    // Whether a portal took the first call at all: none on the bus, or one that never answered.
    enum class Presence { present, absent, silent };

    std::uint32_t globalShortcutsVersion = 0; // 0: no GlobalShortcuts portal
    std::uint32_t remoteDesktopVersion = 0; // 0: no RemoteDesktop portal
    std::uint32_t remoteDesktopDeviceTypes = 0; // bit 1: keyboard
    std::uint32_t clipboardVersion = 0; // 0: no Clipboard interface (portals before 1.18)
    Backend globalShortcutsBackend = Backend::unknown;
    Presence presence = Presence::present;
    // The host registry took our application id (portals from 1.19 on); else why not.
    bool registered = false;
    QString registryProblem;

    bool hasGlobalShortcuts() const { return globalShortcutsVersion > 0 && globalShortcutsBackend != Backend::missing; }
    // ConfigureShortcuts came with version 2.
    bool canConfigureShortcuts() const { return globalShortcutsVersion >= 2; }
    bool hasRemoteKeyboard() const { return remoteDesktopVersion > 0 && (remoteDesktopDeviceTypes & 1) != 0; }
    // persist_mode and restore tokens came with version 2 of RemoteDesktop.
    bool remoteDesktopRestores() const { return remoteDesktopVersion >= 2; }
    bool hasClipboard() const { return clipboardVersion > 0; }
};

// The application id this program gives the portals; the desktop entry
// com.nolt.quillo.desktop carries the same name.
inline constexpr char portalAppId[] = "com.nolt.quillo";

} // namespace quillo
