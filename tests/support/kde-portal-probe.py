#!/usr/bin/python3
"""Checks what the real KDE Plasma 5.27 portal stack does, and prints it: run inside with-kde.

Usage: with-kde kde-portal-probe.py [--remote-desktop] [--app-id-scope ID]

GlobalShortcuts: the version; CreateSession with the option `shortcuts` (each with `description`
and `preferred_trigger`); the kglobalaccel component that appears and the keys it holds; key
presses through KWin's fake input (kwin-keys) and when Activated/Deactivated arrive for a hold
of 0.5 s; ListShortcuts' trigger_description; what BindShortcuts answers; a second session with
the same session token after Close (same component, same keys?). The Clipboard interface.
--remote-desktop: RemoteDesktop's version and properties, a session started with the caller's
app id, and NotifyKeyboardKeycode typing into a native GTK window.
Exits non-zero when CTRL+ALT+space held 0.5 s does not give Activated then Deactivated, or (with
--remote-desktop) when RemoteDesktop does not type into the focused window.
"""
import json
import os
import subprocess
import sys
import threading
import time

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

HERE = os.path.dirname(os.path.abspath(__file__))
KEYS = os.path.join(HERE, "kwin-keys")
QUERY = os.path.join(HERE, "kde-query")
PORTAL = "org.freedesktop.portal.Desktop"
PORTAL_PATH = "/org/freedesktop/portal/desktop"
GS = "org.freedesktop.portal.GlobalShortcuts"
RD = "org.freedesktop.portal.RemoteDesktop"

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
sender = bus.get_unique_name()[1:].replace(".", "_")
portal = bus.get_object(PORTAL, PORTAL_PATH)
events = []  # (monotonic time, "Activated"/"Deactivated", shortcut id)
counter = iter(range(1, 1000000))
failures = []


def say(text=""):
    print(text, flush=True)


def plain(value):
    """dbus-python values as JSON-friendly ones."""
    if isinstance(value, (dbus.Array, list)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Struct, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, (dbus.Dictionary, dict)):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath)):
        return str(value)
    if isinstance(value, (dbus.Int32, dbus.UInt32, dbus.Int64, dbus.UInt64, dbus.Int16, dbus.UInt16, dbus.Byte)):
        return int(value)
    return value


def spin(seconds):
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()


def request(interface, method, args, options, timeout=15):
    """A portal call answered by a Request's Response: (code, results), code None on time-out."""
    token = f"probe{next(counter)}"
    path = f"{PORTAL_PATH}/request/{sender}/{token}"
    answer = {}
    loop = GLib.MainLoop()

    def on_response(code, results):
        answer["code"], answer["results"] = int(code), plain(results)
        loop.quit()

    match = bus.add_signal_receiver(on_response, "Response", "org.freedesktop.portal.Request", PORTAL, path)
    options = dict(options)
    options["handle_token"] = token
    started = time.monotonic()
    try:
        getattr(dbus.Interface(portal, interface), method)(*args, dbus.Dictionary(options, signature="sv"))
    except dbus.DBusException as e:
        match.remove()
        return "error", str(e.get_dbus_message() or e), 0.0
    GLib.timeout_add(int(timeout * 1000), loop.quit)
    loop.run()
    match.remove()
    return answer.get("code"), answer.get("results"), time.monotonic() - started


def prop(interface, name):
    try:
        return plain(portal.Get(interface, name, dbus_interface="org.freedesktop.DBus.Properties"))
    except dbus.DBusException as e:
        return f"error: {e.get_dbus_name()}"


def query(*args):
    out = subprocess.run([QUERY, *args], capture_output=True, text=True, timeout=20)
    return out.stdout.strip() if out.returncode == 0 else f"(kde-query {' '.join(args)} failed: {out.stderr.strip()})"


def components():
    return json.loads(query("components", "--json") or "[]")


def shortcuts_of(component):
    return json.loads(query("shortcuts", component, "--json") or "[]")


def on_signal(*args, **kw):
    member = kw["member"]
    events.append((time.monotonic(), member, str(args[1])))


bus.add_signal_receiver(on_signal, None, GS, PORTAL, PORTAL_PATH, member_keyword="member")


def press(actions):
    """Runs kwin-keys in a thread while this one dispatches D-Bus signals; returns the
    (start, end) times of the run and the times printed for each line."""
    marks = []

    def run():
        proc = subprocess.Popen([KEYS, "-"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        for line in actions:
            marks.append((time.monotonic(), line))
            proc.stdin.write(line + "\n")
            proc.stdin.flush()
            proc.stdout.readline()  # "ok": KWin has handled it
            marks.append((time.monotonic(), "ok " + line))
        proc.stdin.close()
        proc.wait(timeout=10)

    thread = threading.Thread(target=run)
    events.clear()
    thread.start()
    while thread.is_alive():
        spin(0.02)
    spin(0.5)
    return marks


WINDOW = {}


def hold_report(name, keys, seconds=0.5):
    """Holds keys (KEY+KEY) for seconds; reports when the portal's signals arrived, what the GTK
    window received meanwhile and where the focus is afterwards."""
    codes = keys.split("+")
    seen = len(open(WINDOW["keys"]).read().splitlines())
    actions = [f"down {c}" for c in codes] + [f"sleep {seconds}"] + [f"up {c}" for c in reversed(codes)]
    marks = press(actions)
    pressed = next(t for t, line in marks if line == f"ok down {codes[-1]}")
    released = next(t for t, line in marks if line == f"up {codes[-1]}")
    got = [(round(t - pressed, 3) if kind == "Activated" else round(t - released, 3), kind, sid)
           for t, kind, sid in events]
    # The first Activated of each id, every Deactivated; repeats of an Activated counted apart.
    shown, repeats = [], {}
    for g in got:
        if g[1] == "Activated" and any(s[1] == "Activated" and s[2] == g[2] for s in shown):
            repeats[g[2]] = repeats.get(g[2], 1) + 1
        else:
            shown.append(g)
    text = ", ".join(f"{kind} {sid} at {dt:+.3f}s after the {'press' if kind == 'Activated' else 'release'}"
                     for dt, kind, sid in shown) or "no signal"
    for sid, n in repeats.items():
        text += f" ({n} Activated of {sid} in all: the key repeats)"
    window = [line.split(" ", 1)[0][0] + line.split(" ")[2] for line in open(WINDOW["keys"]).read().splitlines()[seen:]]
    say(f"  {name}: keys {keys} held {seconds}s -> {text}; the window got [{' '.join(window)}]; "
        f"focus {query('focus').split(chr(9))[0]}")
    return got


def start_gtk(out):
    env = dict(os.environ, GDK_BACKEND="wayland")
    proc = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "gtk-target-window.py"), "Quillo probe target", out],
                            env=env, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists(out + ".focus"):
            break
        time.sleep(0.1)
    return proc


def global_shortcuts(token, triggers):
    say(f"GlobalShortcuts version: {prop(GS, 'version')}")
    before = {c["component"] for c in components()}
    shortcuts = dbus.Array([dbus.Struct((sid, dbus.Dictionary({"description": f"probe {sid}",
                                                                "preferred_trigger": trig}, signature="sv")))
                            for sid, trig in triggers], signature="(sa{sv})")
    code, results, took = request(GS, "CreateSession", [], {"session_handle_token": token, "shortcuts": shortcuts})
    say(f"CreateSession (session_handle_token={token}, {len(triggers)} shortcuts): response {code} in {took:.3f}s")
    if code != 0:
        failures.append(f"CreateSession answered {code}: {results}")
        return None
    session = results["session_handle"]
    say(f"  session_handle {session}; results {json.dumps(results, ensure_ascii=False)}")
    after = components()
    new = [c for c in after if c["component"] not in before]
    say(f"  kglobalaccel components before: {sorted(before)}")
    say(f"  new components: {json.dumps(new, ensure_ascii=False)}")
    for c in new:
        for s in shortcuts_of(c["component"]):
            say(f"    {s['action']}: keys {s['keys_text']} (evdev {s['evdev']}) default {s['default_text']} "
                f"friendly '{s['action_friendly']}' component friendly '{s['component_friendly']}'")
    code, results, took = request(GS, "ListShortcuts", [dbus.ObjectPath(session)], {})
    say(f"ListShortcuts: response {code} in {took:.3f}s: {json.dumps(results, ensure_ascii=False)}")
    return session, new


def main():
    say(f"app id check: /proc/self/cgroup = {open('/proc/self/cgroup').read().split()}")
    say(f"Clipboard interface: version {prop('org.freedesktop.portal.Clipboard', 'version')}")
    say(f"ScreenCast version: {prop('org.freedesktop.portal.ScreenCast', 'version')}")
    out = os.path.join(os.environ.get("PROBE_TMP", "/tmp"), f"probe-target-{os.getpid()}.txt")
    gtk = start_gtk(out)
    WINDOW["keys"] = out + ".keys"
    say(f"focus (KWin script): {query('focus')}")

    triggers = [("hold", "CTRL+ALT+space"), ("altr", "Alt_R"), ("shift1", "SHIFT+1"), ("logod", "LOGO+d"),
                ("logoy", "LOGO+y"), ("esc", "Escape"), ("f9", "F9"), ("shiftl", "Shift_L"), ("superr", "Super_R"),
                ("altspace", "ALT+space")]
    made = global_shortcuts("quilloprobe", triggers)
    if not made:
        return finish(gtk)
    session, new = made
    say("Key presses (KWin fake input), signals on the portal:")
    got = hold_report("CTRL+ALT+space", "29+56+57")
    if [k for _, k, s in got if s == "hold"] != ["Activated", "Deactivated"]:
        failures.append(f"CTRL+ALT+space held 0.5 s gave {got}")
    hold_report("right Alt alone", "100")
    hold_report("left Alt alone", "56")
    hold_report("Shift+1", "42+2")
    hold_report("Super+Y", "125+21")
    hold_report("Escape", "1")
    hold_report("F9", "67")
    hold_report("left Shift alone", "42")
    hold_report("Shift+A (typing a capital)", "42+30")
    hold_report("right Super alone", "126")
    hold_report("Alt+Space", "56+57")
    hold_report("left Alt+Tab", "56+15")
    # A key held long: one Activated, or one per autorepeat?
    hold_report("CTRL+ALT+space held 2 s", "29+56+57", 2.0)
    # Last: KWin's own Meta+D (Show Desktop) takes the focus away.
    hold_report("Super+D", "125+32")
    hold_report("Super+D again", "125+32")

    shortcuts = dbus.Array([dbus.Struct(("hold", dbus.Dictionary({"description": "probe hold again",
                                                                  "preferred_trigger": "CTRL+ALT+h"},
                                                                 signature="sv")))], signature="(sa{sv})")
    code, results, took = request(GS, "BindShortcuts", [dbus.ObjectPath(session), shortcuts, ""], {})
    say(f"BindShortcuts (hold -> CTRL+ALT+h): response {code} in {took:.3f}s: {json.dumps(results, ensure_ascii=False)}")
    for c in new:
        say(f"  {c['component']} after BindShortcuts: " + ", ".join(
            f"{s['action']}={s['keys_text']}" for s in shortcuts_of(c["component"])))
    say(f"  portal-kde log after BindShortcuts: {tail(os.environ.get('QUILLO_KDE_BACKEND_LOG'), 3)}")

    # Close, then the same token again with other preferred triggers: kept keys or new ones?
    bus.get_object(PORTAL, session).Close(dbus_interface="org.freedesktop.portal.Session")
    spin(0.3)
    say(f"after Session.Close: components {[c['component'] for c in components()]}")
    hold_report("CTRL+ALT+space with the session closed", "29+56+57")
    made = global_shortcuts("quilloprobe", [("hold", "CTRL+ALT+j"), ("toggle", "CTRL+ALT+t")])
    if made:
        for c in components():
            if c["component"] in [n["component"] for n in new] or "quilloprobe" in c["component"]:
                say(f"  {c['component']} on the second session: " + ", ".join(
                    f"{s['action']}={s['keys_text']}" for s in shortcuts_of(c["component"])))
        hold_report("CTRL+ALT+space on the second session", "29+56+57")
        hold_report("Escape, which the second session did not list", "1")
    made2 = global_shortcuts("quilloprobe2", [("hold", "CTRL+ALT+space")])
    if made2:
        say("  a second token asking for the same trigger: " + ", ".join(
            f"{s['action']}={s['keys_text']}" for c in made2[1] for s in shortcuts_of(c["component"])))

    if "--remote-desktop" in sys.argv:
        remote_desktop(out)
    return finish(gtk)


def tail(path, n):
    try:
        return [line.strip() for line in open(path, errors="replace").read().splitlines()[-n:]]
    except (OSError, TypeError):
        return []


def remote_desktop(out):
    say(f"RemoteDesktop: version {prop(RD, 'version')}, AvailableDeviceTypes {prop(RD, 'AvailableDeviceTypes')}")
    code, results, took = request(RD, "CreateSession", [], {"session_handle_token": "quilloprobe_rd"})
    say(f"  CreateSession: {code} in {took:.3f}s {results}")
    if code != 0:
        return
    session = dbus.ObjectPath(results["session_handle"])
    code, results, took = request(RD, "SelectDevices", [session], {"types": dbus.UInt32(1), "persist_mode": dbus.UInt32(2)})
    say(f"  SelectDevices(types=keyboard, persist_mode=2): {code} in {took:.3f}s {results}")
    code, results, took = request(RD, "Start", [session, ""], {}, timeout=20)
    say(f"  Start(parent_window ''): {code} in {took:.3f}s {results}")
    if code == 0:
        before = open(out).read()
        rd = dbus.Interface(portal, RD)
        started = time.monotonic()
        for keycode in (30, 31, 32):  # a s d
            rd.NotifyKeyboardKeycode(session, dbus.Dictionary({}, signature="sv"), keycode, dbus.UInt32(1))
            rd.NotifyKeyboardKeycode(session, dbus.Dictionary({}, signature="sv"), keycode, dbus.UInt32(0))
        for _ in range(60):
            if open(out).read().endswith("asd"):
                break
            spin(0.05)
        say(f"  NotifyKeyboardKeycode a s d: the GTK window has '{open(out).read()}' "
            f"({time.monotonic() - started:.3f}s); focus {query('focus')}")
        if not open(out).read().endswith("asd"):
            failures.append("RemoteDesktop's NotifyKeyboardKeycode did not type into the focused window")
    else:
        failures.append(f"RemoteDesktop Start with an empty app id answered {code}")
    bus.get_object(PORTAL, session).Close(dbus_interface="org.freedesktop.portal.Session")


def finish(gtk):
    gtk.terminate()
    gtk.wait(timeout=5)
    for f in failures:
        say(f"FAIL: {f}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
