#!/usr/bin/python3
"""A GTK 3 entry with the focus, for the IBus experiment. Usage: entry-window.py OUTFILE

Appends one line per event to OUTFILE: "focus-in", "preedit <text>" (the input method's
preedit as the entry shows it, empty when hidden) and "text <content>" on every change."""
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

log = open(sys.argv[1], "a", encoding="utf-8", buffering=1)
window = Gtk.Window(title="quillo-ibus-target")
entry = Gtk.Entry()
window.add(entry)
entry.connect("preedit-changed", lambda _e, p: log.write(f"preedit {p}\n"))
entry.connect("changed", lambda e: log.write(f"text {e.get_text()}\n"))
entry.connect("focus-in-event", lambda *_: log.write("focus-in\n") and False)
window.connect("destroy", Gtk.main_quit)
window.show_all()
window.present()
Gtk.main()
