#!/usr/bin/python3
"""A native Wayland paste target: one GTK 3 text view that takes the focus.

Usage: GDK_BACKEND=wayland /usr/bin/python3 gtk-target.py TITLE OUTFILE

Every change of the text is written to OUTFILE (atomically; the file exists, empty, once the
window has the focus the first time). Every change of the focus is appended to OUTFILE.focus
as "in SECONDS" or "out SECONDS" (CLOCK_MONOTONIC, the clock of Python's time.monotonic()), so a
test can tell how long another surface held the focus.
"""
import os
import sys
import time

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    title, out = sys.argv[1], sys.argv[2]
    window = Gtk.Window(title=title)
    window.set_default_size(640, 360)
    view = Gtk.TextView()
    window.add(view)
    buffer = view.get_buffer()

    def save(*_):
        tmp = out + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            f.write(buffer.get_text(buffer.get_start_iter(), buffer.get_end_iter(), True))
        os.replace(tmp, out)

    def focus(_window, _param):
        with open(out + ".focus", "a", encoding="utf-8") as f:
            f.write(f"{'in' if window.is_active() else 'out'} {time.monotonic():.6f}\n")
        if window.is_active() and not os.path.exists(out):
            save()

    buffer.connect("changed", save)
    window.connect("notify::is-active", focus)
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    view.grab_focus()
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
