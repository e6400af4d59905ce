#pragma once

#include "platform/Permissions.h"

namespace quillo {

class PortalGlobalShortcuts;
class PortalRemoteDesktop;

// What the program may do on a desktop served by portals: "accessibility"
// holds when the desktop bound our shortcuts and granted the keyboard, and
// asking for it binds again or starts the keyboard session (the desktop's
// dialogs). Either adapter may be absent when another one serves that port.
// Nothing is granted per program for the microphone.
class PortalPermissions final : public Permissions {
public:
    PortalPermissions(PortalGlobalShortcuts *shortcuts, PortalRemoteDesktop *keyboard)
        : shortcuts_(shortcuts)
        , keyboard_(keyboard)
    {
    }

    bool isAccessibilityTrusted() const override { return shortcutsBound() && keyboardGranted(); }
    void promptForAccessibility() override;
    MicrophoneAuthorization microphoneAuthorization() const override { return MicrophoneAuthorization::authorized; }
    void requestMicrophoneAccess() override { }
    QString sessionProblem() const override { return {}; }

    // At least one shortcut has a trigger the desktop bound.
    bool shortcutsBound() const;
    // The keyboard session runs (its grant was given or restored).
    bool keyboardGranted() const;

private:
    PortalGlobalShortcuts *shortcuts_;
    PortalRemoteDesktop *keyboard_;
};

} // namespace quillo
