#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>

namespace quillo {

// What the desktop portal of this session offers, asked once at start-up.
struct PortalSupport {
    std::uint32_t globalShortcutsVersion = 0; // 0: no GlobalShortcuts portal
    std::uint32_t remoteDesktopVersion = 0; // 0: no RemoteDesktop portal
    std::uint32_t remoteDesktopDeviceTypes = 0; // bit 1: keyboard

    bool hasGlobalShortcuts() const { return globalShortcutsVersion > 0; }
    // ConfigureShortcuts came with version 2.
    bool canConfigureShortcuts() const { return globalShortcutsVersion >= 2; }
    bool hasRemoteKeyboard() const { return remoteDesktopVersion > 0 && (remoteDesktopDeviceTypes & 1) != 0; }

    using Done = std::function<void(const PortalSupport &)>;

    // Asks without blocking: registers this program with the portal first (that must
    // come before anything else is asked of it), then reads the interfaces' properties.
    // `done` runs once, on the main thread, when every answer is in or `timeout` passed
    // (a missing portal answers at once); not at all once `context` is gone.
    static void probe(const QDBusConnection &bus, QObject *context, Done done,
        std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
};

// The application id this program gives the portals; the desktop entry
// com.nolt.quillo.desktop carries the same name.
inline constexpr char portalAppId[] = "com.nolt.quillo";

// A program that is not sandboxed tells the portal who it is (the desktop
// entry's basename) before any other portal call; the portal allows it once per
// connection. Empty on success, else why not: portals older than the host
// registry lack the interface, and then identify the program from its process.
QString registerHostApplication(const QDBusConnection &bus, const QString &appId = QLatin1String(portalAppId),
    std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

} // namespace quillo
