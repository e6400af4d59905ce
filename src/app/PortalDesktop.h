#pragma once

#include "platform/portal/PortalConnection.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/SystemdAppScope.h"

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <memory>

namespace quillo {

class DefaultsStore;
class HotkeyManager;
class KeyboardSource;
class KeyboardSourceSwitch;
class WaylandDesktop;

// The desktop portal's part of a Wayland session. Its global shortcuts become the
// hotkeys' source only once the desktop really gave some of them a key: until then, and
// whenever the portal loses them (it restarted, the session closed), the X11 hotkeys
// serve (they fire while an XWayland window has the focus). Its RemoteDesktop keyboard
// pastes where the compositor offers no other way. Everything is asked in the background
// over the program's own portal connection, and asked again when the portal restarts.
class PortalDesktop {
public:
    struct Parts {
        HotkeyManager &hotkeys;
        KeyboardSourceSwitch &keyboardSwitch;
        KeyboardSource &x11Keyboard;
        WaylandDesktop &wayland;
        DefaultsStore &defaults;
    };

    PortalDesktop(Parts parts, QDBusConnection bus);
    ~PortalDesktop();

    // What the desktop lists for each hot key; the ids are what it remembers triggers by.
    static PortalGlobalShortcuts::Names shortcutNames();
    // How the shortcuts are declared on this desktop; on KDE with a check of the keys
    // kglobalaccel really gave (its component is named after the app id the portal saw).
    static PortalGlobalShortcuts::Options shortcutOptions(const QDBusConnection &bus, bool appIdSeen, QObject *context);
    // The preferred trigger of each shortcut comes from the hot key bound to its slot.
    static std::map<std::uint32_t, std::optional<PortalGlobalShortcuts::StoredKey>> storedKeys(
        const HotkeyManager &hotkeys);

    void start();
    PortalConnection &connection() { return connection_; }
    // The desktop's shortcuts, once the portal said it has them; else null.
    PortalGlobalShortcuts *shortcuts() { return shortcuts_.get(); }
    // Whether hotkeys come from the portal now.
    bool servesHotkeys() const { return servingPortal_; }
    // How the portals will know this program where they have no registry (its systemd unit).
    const SystemdAppScope::Outcome &scope() const { return scope_; }

    // Runs when the shortcuts' state or triggers change (the menu and settings show them).
    std::function<void()> onShortcutsChanged;
    // One line per event for the observation modes, with the time since start.
    std::function<void(const QString &)> report;

private:
    void onAnswer(const PortalSupport &support);
    void onGone();
    void useShortcuts(const PortalSupport &support);
    void declareWhenConfigured();
    void shortcutsChanged();
    void moveHotkeysTo(KeyboardSource &source, bool portal);
    void say(const QString &line);

    Parts parts_;
    PortalConnection connection_;
    std::unique_ptr<PortalGlobalShortcuts> shortcuts_;
    bool servingPortal_ = false;
    bool answered_ = false;
    QString lastShortcutsLine_;
    SystemdAppScope::Outcome scope_;
    QElapsedTimer sinceStart_;
    QObject scopeContext_;
};

} // namespace quillo
