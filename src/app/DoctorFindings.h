#pragma once

#include "dictation/InsertionRoute.h"
#include "platform/portal/PortalSupport.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quillo {

// What quillo --doctor found on this desktop. The probes fill it; DoctorVerdict judges it
// and DoctorReport shows it. Plain data, so the judgement is tested without a desktop.
struct DoctorFindings {
    enum class Session { none, x11, wayland, waylandWithX11 };
    enum class Compositor { unknown, sway, hyprland, kwin, mutter, other };
    enum class Desktop { other, gnome, kde, sway, hyprland };
    // A Quillo of this session: none, one that answered the status request, one that did
    // not answer in time, or one too old to know the request.
    enum class Instance { none, answered, silent, old };
    enum class Hotkeys { none, x11, portal };
    enum class Shortcuts { notAsked, bound, noTriggers, refused, failed, pending };
    enum class Key { stored, missing, storeSilent, storeFailed };

    struct X11Hotkey {
        QString slot; // "hold", "toggle", …
        QString key; // the key as the settings show it
        bool works = false; // grabbed, or seen through XInput2 for a lone modifier
    };

    struct DesktopBinding {
        QString keys;
        QString action; // "start", "stop", "toggle", … or a portal shortcut id (global)
        bool release = false;
        bool global = false;
    };

    // The session
    Session session = Session::none;
    QString currentDesktop; // XDG_CURRENT_DESKTOP as set
    Desktop desktop = Desktop::other;
    Compositor compositor = Compositor::unknown;

    // Wayland's protocols and helper programs
    bool registryRead = false;
    bool dataControl = false;
    bool virtualKeyboard = false;
    bool clipboardTools = false; // wl-copy and wl-paste
    bool keyTool = false; // wtype

    bool xtest = false; // X11 keystrokes can be posted (X11 windows)

    // The desktop portal (Wayland sessions); none: it did not answer in time
    bool portalAsked = false;
    std::optional<PortalSupport> portal;
    QString appId; // the id the portal knows the program by; empty: none
    QString scopeOutcome;
    bool desktopEntryInstalled = false;
    bool restoreTokenStored = false;

    // Starting a dictation
    Instance instance = Instance::none;
    QString instanceVersion;
    QString lastDictation; // the running Quillo's figures of its last dictation; empty: none
    Hotkeys hotkeys = Hotkeys::none;
    Shortcuts shortcuts = Shortcuts::notAsked;
    QString shortcutsProblem;
    std::vector<std::pair<QString, QString>> triggers; // shortcut id, the desktop's trigger
    bool x11HotkeysChecked = false;
    std::vector<X11Hotkey> x11Hotkeys;
    bool desktopBindingsAsked = false; // sway's or Hyprland's configuration was asked for
    bool desktopBindingsRead = false;
    std::vector<DesktopBinding> desktopBindings;

    // Pasting into the window focused now
    std::optional<InsertionRoute> route;
    QString focusedApp;
    QString remoteDesktopState; // the running Quillo's portal keyboard session, when it has one
    bool inputMethod = false; // Quillo's fcitx5 addon answered: text goes through the input method
    bool liveText = false; // the partial text is shown in the field while speaking (the setting)

    // Microphone; none: the check did not finish in time
    std::optional<bool> microphoneOpened;
    QString microphoneName;
    QString microphoneProblem;
    bool soundServerMissing = false;

    // The key store; none: it did not answer in time
    std::optional<Key> key;
    QString keyProblem;

    // The tray; none: the desktop did not answer in time
    std::optional<bool> tray;
    bool statusNotifierHost = false;

    bool wayland() const { return session == Session::wayland || session == Session::waylandWithX11; }
    bool hasX11() const { return session == Session::x11 || session == Session::waylandWithX11; }
    bool portalPresent() const { return portal && portal->presence == PortalSupport::Presence::present; }

    // Which compositor runs: named by its IPC socket, by globals only it offers
    // (org_kde_plasma_* → KWin, gtk_shell1 → mutter), else by the desktop variable.
    static Compositor compositorFrom(
        const QString &currentDesktop, bool swaySocket, bool hyprlandSocket, const std::optional<QStringList> &globals);
    static Desktop desktopFrom(const QString &currentDesktop, Compositor compositor);
};

} // namespace quillo
