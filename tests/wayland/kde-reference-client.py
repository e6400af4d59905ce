#!/usr/bin/python3
"""A stand-in for `quillo` that does on KDE Plasma 5.27 what the KDE end-to-end tests ask of
Quillo, by the shortest route the stack offers; CTest `kde_reference` runs kde-shortcuts.sh and
kde-paste.sh with it as QUILLO, so the tests are known to pass against correct behaviour and
their failures with Quillo are Quillo's. It neither records nor recognises: the text it pastes
is the polished text of tests/e2e/scenarios/polite.json.

  --import-env FILE            does nothing
  --e2e-observe                binds hold/toggle/cancel through GlobalShortcuts and dictates on
                               `hold` (Activated: recording; Deactivated: paste)
  --e2e-file WAV [--e2e-delay S]   one dictation after S seconds, then exits

What it does: CreateSession on org.freedesktop.portal.GlobalShortcuts with a fixed
session_handle_token ("quillo": the kglobalaccel component's name, the same at every start) and
the option `shortcuts`; Activated repeats while a key is held, so only the first counts. It
pastes with the Wayland clipboard (wl-copy; KWin offers data-control) and Ctrl+V typed through a
RemoteDesktop session (granted without a dialog when the app id is empty).
"""
import os
import subprocess
import sys
import time

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

POLISHED = "我们明天下午四点开会，记得带上演示"
PORTAL, PATH = "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop"
GS, RD = "org.freedesktop.portal.GlobalShortcuts", "org.freedesktop.portal.RemoteDesktop"
SHORTCUTS = [("hold", "Hold to dictate", "CTRL+ALT+space"), ("toggle", "Start / stop", "CTRL+ALT+t"),
             ("cancel", "Cancel the recording", "CTRL+ALT+BackSpace")]

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = bus.get_object(PORTAL, PATH)
sender = bus.get_unique_name()[1:].replace(".", "_")
state = {"recording": False, "rd": None, "n": 0, "clip": None}


def say(line):
    print(line, flush=True)


def request(interface, method, args, options, then):
    state["n"] += 1
    token = f"ref{state['n']}"
    path = f"{PATH}/request/{sender}/{token}"
    holder = {}

    def on_response(code, results):
        holder["match"].remove()
        then(int(code), results)

    holder["match"] = bus.add_signal_receiver(on_response, "Response", "org.freedesktop.portal.Request", PORTAL, path)
    options = dict(options, handle_token=token)
    getattr(dbus.Interface(portal, interface), method)(*args, dbus.Dictionary(options, signature="sv"))


def bind_shortcuts():
    shortcuts = dbus.Array([dbus.Struct((sid, dbus.Dictionary({"description": text, "preferred_trigger": trig},
                                                              signature="sv")))
                            for sid, text, trig in SHORTCUTS], signature="(sa{sv})")
    request(GS, "CreateSession", [], {"session_handle_token": "quillo", "shortcuts": shortcuts},
            lambda code, results: say(f"[e2e] portal: shortcuts session {code}"))


def start_remote_desktop(then=None):
    def started(code, results):
        say(f"[e2e] portal: remote desktop start {code} devices {int(results.get('devices', 0))}")
        if then:
            then()

    def selected(code, _):
        request(RD, "Start", [state["rd"], ""], {}, started)

    def created(code, results):
        state["rd"] = dbus.ObjectPath(results["session_handle"])
        request(RD, "SelectDevices", [state["rd"]], {"types": dbus.UInt32(1)}, selected)

    request(RD, "CreateSession", [], {"session_handle_token": "quillo_keys"}, created)


def paste(then):
    if state["clip"]:
        state["clip"].terminate()
    state["clip"] = subprocess.Popen(["wl-copy", "--foreground", POLISHED])
    time.sleep(0.3)  # wl-copy owns the selection by now
    rd = dbus.Interface(portal, RD)
    for code, pressed in ((29, 1), (47, 1), (47, 0), (29, 0)):
        rd.NotifyKeyboardKeycode(state["rd"], dbus.Dictionary({}, signature="sv"), code, dbus.UInt32(pressed))
    say("[e2e] paste: route portal (reference client)")
    say(f'[e2e] phase: done("{POLISHED}")')
    GLib.timeout_add(500, lambda: (say("[e2e] phase: idle"), then())[1] and False)


def on_activated(session, sid, *_):
    if sid == "hold" and not state["recording"]:
        state["recording"] = True
        say("[e2e] hotkey: portal hold pressed=true")
        say("[e2e] phase: recording")


def on_deactivated(session, sid, *_):
    if sid == "hold" and state["recording"]:
        state["recording"] = False
        say("[e2e] phase: transcribing")
        say("[e2e] phase: polishing")
        paste(lambda: None)


def main():
    args = sys.argv[1:]
    if args[:1] == ["--import-env"]:
        return 0
    loop = GLib.MainLoop()
    if args[:1] == ["--e2e-observe"]:
        bus.add_signal_receiver(on_activated, "Activated", GS, PORTAL, PATH)
        bus.add_signal_receiver(on_deactivated, "Deactivated", GS, PORTAL, PATH)
        bind_shortcuts()
        start_remote_desktop()
    elif args[:1] == ["--e2e-file"]:
        delay = float(args[args.index("--e2e-delay") + 1]) if "--e2e-delay" in args else 0.0

        def dictate():
            say("[e2e] phase: recording")
            say("[e2e] phase: transcribing")
            say("[e2e] phase: polishing")
            paste(lambda: GLib.timeout_add(1000, loop.quit))
            return False

        start_remote_desktop(lambda: GLib.timeout_add(int(delay * 1000), dictate))
    else:
        print(__doc__)
        return 2
    loop.run()
    if state["clip"]:
        state["clip"].terminate()
    return 0


if __name__ == "__main__":
    sys.exit(main())
