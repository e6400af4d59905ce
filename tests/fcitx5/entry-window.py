#!/usr/bin/python3
"""A GTK 3 window with one text entry that has the focus, for the input-method tests.

Usage: GTK_IM_MODULE=fcitx entry-window.py TITLE OUTFILE

Writes the entry's text to OUTFILE and its input-method preedit (the `preedit-changed`
signal) to OUTFILE.preedit, each atomically on every change; both exist, empty, once the
window is mapped.
"""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def write_atomically(path, text):
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(tmp, path)


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: entry-window.py TITLE OUTFILE\n")
        return 2
    title, out = sys.argv[1], sys.argv[2]
    window = Gtk.Window(title=title)
    window.set_default_size(480, 80)
    entry = Gtk.Entry()
    window.add(entry)
    entry.connect("changed", lambda e: write_atomically(out, e.get_text()))
    entry.connect("preedit-changed", lambda _e, text: write_atomically(out + ".preedit", text))

    def mapped(*_):
        write_atomically(out + ".preedit", "")
        write_atomically(out, entry.get_text())

    window.connect("map-event", mapped)
    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    entry.grab_focus()
    window.present()
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
