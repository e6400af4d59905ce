#pragma once

#include <QString>

#include <optional>

namespace quillo {

// Ordered as the platform reports them.
enum class MicrophoneAuthorization { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

// What a desktop that hands out access through its own dialogs (Wayland, with its
// portals) has granted: whether our global shortcuts are bound, and how synthetic
// keystrokes reach the focused window.
struct DesktopAccess {
    enum class Shortcuts {
        bound, // the desktop bound at least one of our shortcuts
        notBound, // the desktop offers global shortcuts but has bound none (refused, or not yet asked)
        unavailable // no global shortcuts: the desktop's own key bindings run quillo --start/--stop
    };
    enum class Keyboard {
        virtualKeyboard, // the compositor offers a virtual keyboard: nothing to grant
        remoteDesktop, // the RemoteDesktop portal's keyboard was granted and runs
        notGranted, // the RemoteDesktop portal is offered, but its keyboard is not granted (yet)
        unavailable // no way to post a keystroke into a native window
    };
    Shortcuts shortcuts = Shortcuts::unavailable;
    Keyboard keyboard = Keyboard::unavailable;

    friend bool operator==(const DesktopAccess &, const DesktopAccess &) = default;
};

// What the program may do on this desktop: post synthetic keys and paste
// ("accessibility"), and record from a microphone.
class Permissions {
public:
    virtual ~Permissions() = default;

    virtual bool isAccessibilityTrusted() const = 0;
    // Asks the system to offer the permission; does nothing where there is nothing to grant.
    virtual void promptForAccessibility() = 0;
    virtual MicrophoneAuthorization microphoneAuthorization() const = 0;
    // The answer is not awaited; read the status again later.
    virtual void requestMicrophoneAccess() = 0;
    // One sentence for the user when this desktop session cannot support global
    // hotkeys and paste at all; empty when it can.
    virtual QString sessionProblem() const = 0;

    // Where access is granted by the desktop's dialogs rather than as one accessibility
    // permission (Wayland): what it granted. None elsewhere.
    virtual std::optional<DesktopAccess> desktopAccess() const { return std::nullopt; }
    // Ask the desktop again (its dialogs): bind the shortcuts, grant the keyboard.
    virtual void askForShortcuts() { }
    virtual void askForKeyboard() { }
};

} // namespace quillo
