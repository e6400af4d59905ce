#pragma once

#include "platform/Permissions.h"

#include <functional>

namespace quillo {

// Permissions in a Wayland session. Nothing is granted per program to the helpers
// (wl-clipboard, wtype) or to XTest on XWayland; the desktop's portals grant global
// shortcuts and a keyboard through dialogs of their own. "Trusted" means some way to
// paste exists at this moment. The microphone is never gated here.
class WaylandPermissions final : public Permissions {
public:
    // What the session offers; each function is asked on every read, and an unset one
    // means that part is absent.
    struct Sources {
        bool virtualKeyboard = false; // wl-copy + wtype over the compositor's protocols
        bool x11Paste = false; // XTest on XWayland (X11 windows only)
        std::function<bool()> remoteKeyboardOffered; // the RemoteDesktop portal has a keyboard
        std::function<bool()> remoteKeyboardRunning; // ... granted, and its session runs
        std::function<void()> askRemoteKeyboard;
        std::function<bool()> shortcutsOffered; // the GlobalShortcuts portal is there
        std::function<bool()> shortcutsBound;
        std::function<void()> askShortcuts;
    };

    explicit WaylandPermissions(Sources sources)
        : sources_(std::move(sources))
    {
    }

    bool isAccessibilityTrusted() const override;
    // Asks for what is missing of the two (each ask is a dialog of the desktop).
    void promptForAccessibility() override;
    MicrophoneAuthorization microphoneAuthorization() const override { return MicrophoneAuthorization::authorized; }
    void requestMicrophoneAccess() override { }
    QString sessionProblem() const override;
    std::optional<DesktopAccess> desktopAccess() const override;
    void askForShortcuts() override;
    void askForKeyboard() override;

    // The parts that become known later (the portal's answer at start-up).
    Sources &sources() { return sources_; }

private:
    static bool ask(const std::function<bool()> &f) { return f && f(); }

    Sources sources_;
};

} // namespace quillo
