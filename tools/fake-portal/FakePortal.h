#pragma once

#include "BusObject.h"
#include "ClipboardPortal.h"
#include "ControlInterface.h"
#include "GlobalShortcutsPortal.h"
#include "PortalCore.h"
#include "RegistryPortal.h"
#include "RemoteDesktopPortal.h"

#include <QDBusServiceWatcher>

#include <memory>

namespace quillo::fakeportal {

// The portal calls Quillo makes, answered as a desktop's portal answers
// them. The profile picks the desktop: "documented" (the default) answers as
// the portal documentation describes; kde5 (Plasma 5.27, frontend 1.16),
// gnome43, gnome48 (frontend 1.20) and hyprland as those desktops do where
// they differ (see Profile.cpp). Requests answer through Response (0
// granted, 1 refused, 2 ended), sessions can be closed, a caller registers
// its app id once and before any other call.
//
// Tests steer it through org.quillo.FakePortal at /org/quillo/FakePortal:
//   SetProfile(s name)                  the desktop; first, before any client call (also --profile)
//   SetOutcome(s method, u response)    e.g. ("GlobalShortcuts.BindShortcuts", 1); "Clipboard" and
//                                       "RemoteDesktop.Persist" are the dialog's switches
//   SetVersion(s interface, u version)  e.g. ("GlobalShortcuts", 1); 0 takes the interface away
//   SetBackend(s interface, b present)  false: the frontend offers the interface, no backend serves it
//   SetAppId(s id)                      the app id of unregistered callers (as from a systemd scope)
//   SetTrigger(s shortcut, s trigger)   what the desktop binds instead of the preferred trigger
//   SetKeyMatching(s how)               documented, kwin5, kwin6 or mutter (the profile's by default)
//   SetKeyRepeat(u delayMs, u intervalMs)  autorepeat of a held key; 0 turns it off
//   SetShuffle(u seed, u maxDelayMs)    keyboard events each processed after a random delay; seed 0: in order
//   Activate(s shortcut) / Deactivate(s shortcut)  the desktop fires a bound shortcut, whatever its key
//   Press(s keysym) / Release(s keysym) a key of the desktop's keyboard, e.g. "Alt_R"
//   Keys(s sequence)                    "+Control_L +space ~600 -space -Control_L"; a bare name goes
//                                       down in turn and up at the end; answered when played
//   ChangeTrigger(s shortcut, s trigger)  as if the user rebound it (ShortcutsChanged where sent)
//   Copy(s type, s text)                another application copies (SelectionOwnerChanged)
//   Paste(s type)                       another application pastes (SelectionTransfer);
//                                       what arrives is logged as "pasted <type> <text>"
//   CloseSessions(s kind)               the desktop ends every session of that kind: Closed, then gone
//   Restart(b announce)                 the portal leaves the bus and comes back on a new connection;
//                                       sessions and registrations are forgotten (Closed first if announced)
//   Log() -> as                         every call, one line each
class FakePortal {
public:
    explicit FakePortal(Profile profile);

    // Takes the bus names; the reason on failure, else empty.
    QString start();
    // Portal calls get no answer at all (control calls still do).
    void setUnresponsive(bool unresponsive) { unresponsive_ = unresponsive; }

    PortalCore &core() { return core_; }
    GlobalShortcutsPortal &shortcuts() { return shortcuts_; }
    RemoteDesktopPortal &remote() { return remote_; }
    ClipboardPortal &clipboard() { return clipboard_; }

    void setProfile(const Profile &profile);
    QString pressKey(const Keysym &key, bool down);
    void closeSessions(const QString &kind);
    void restart(bool announce);

private:
    void dispatch(const QDBusMessage &message);
    bool dispatchSessionObjects(const QDBusMessage &message);
    QString takePortalName();
    void sessionGone(const QString &path);
    void callerGone(const QString &sender);

    PortalCore core_;
    GlobalShortcutsPortal shortcuts_;
    RemoteDesktopPortal remote_;
    ClipboardPortal clipboard_;
    RegistryPortal registry_;
    ControlInterface control_;
    BusObject portalObject_;
    BusObject controlObject_;
    QDBusServiceWatcher callers_;
    QString portalConnection_;
    int generation_ = 0;
    bool unresponsive_ = false;
};

} // namespace quillo::fakeportal
