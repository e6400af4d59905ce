#!/usr/bin/python3
"""A paste and input-method target for end-to-end tests: one GTK 3 text view with the focus.

Usage: [GDK_BACKEND=wayland] [GTK_IM_MODULE=…] gtk-target-window.py TITLE OUTFILE

Every change of the text is written to OUTFILE (atomically), so a test reads what landed without
looking at the screen; the file exists, empty, once the window is mapped. Beside it:
OUTFILE.keys gets one line per key event the window receives ("press 56 Alt_L", "release ..."),
with the hardware keycode less 8 (the evdev code), OUTFILE.focus a line "in TIME MONOTONIC" or
"out TIME MONOTONIC" (Unix time, then Python's time.monotonic()) whenever the window gains or loses the keyboard focus, and OUTFILE.clipboard what the window reads from the
clipboard whenever a line "clipboard" is written to OUTFILE.ask, and OUTFILE.preedit the input
method's preedit as the view shows it (atomically on every change; it exists, empty, once the
window is mapped, before OUTFILE does).
Its Wayland app_id (KWin's resource class) is quillo-gtk-target.
A native Wayland client: on KWin's virtual output foot dies, and Tk needs X.
"""
import os
import sys
import time

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402


def write_atomically(path, text):
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(tmp, path)


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: gtk-target-window.py TITLE OUTFILE\n")
        return 2
    title, out = sys.argv[1], sys.argv[2]
    # The Wayland app_id, which KWin reports as the window's resource class.
    GLib.set_prgname("quillo-gtk-target")
    window = Gtk.Window(title=title)
    window.set_default_size(640, 240)
    view = Gtk.TextView()
    view.set_wrap_mode(Gtk.WrapMode.CHAR)
    window.add(view)
    buffer = view.get_buffer()
    keys = open(out + ".keys", "a", encoding="utf-8", buffering=1)

    def save(*_):
        write_atomically(out, buffer.get_text(buffer.get_start_iter(), buffer.get_end_iter(), True))

    def key_event(_widget, event):
        kind = "press" if event.type == Gdk.EventType.KEY_PRESS else "release"
        keys.write(f"{kind} {event.hardware_keycode - 8} {Gdk.keyval_name(event.keyval)}\n")
        return False

    focus_log = open(out + ".focus", "a", encoding="utf-8", buffering=1)

    def focus(_widget, event):
        focus_log.write(f"{'in' if event.in_ else 'out'} {time.time():.3f} {time.monotonic():.3f}\n")
        return False

    def read_clipboard():
        clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
        clipboard.request_text(lambda _c, text: write_atomically(out + ".clipboard", text or ""))

    def poll_ask():
        ask = out + ".ask"
        try:
            with open(ask, encoding="utf-8") as f:
                request = f.read().strip()
            os.remove(ask)
        except FileNotFoundError:
            return True
        if request == "clipboard":
            read_clipboard()
        return True

    def mapped(*_):
        write_atomically(out + ".preedit", "")
        save()

    view.connect("preedit-changed", lambda _view, text: write_atomically(out + ".preedit", text))
    buffer.connect("changed", save)
    window.connect("key-press-event", key_event)
    window.connect("key-release-event", key_event)
    window.connect("focus-in-event", focus)
    window.connect("focus-out-event", focus)
    window.connect("destroy", Gtk.main_quit)
    window.connect("map-event", mapped)
    GLib.timeout_add(100, poll_ask)
    window.show_all()
    view.grab_focus()
    window.present()
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
