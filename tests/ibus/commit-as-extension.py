#!/usr/bin/python3
"""Commits text into IBus's focused input context without being its engine.

Usage: commit-as-extension.py PREEDIT TEXT
Takes the emoji panel extension's bus name on the IBus bus for as long as it runs (the
daemon then tells us the focused context through FocusIn), shows PREEDIT as the context's
preedit, commits TEXT, and gives the name back. Prints what it saw; exit status 0 on success."""
import sys

import gi

gi.require_version("IBus", "1.0")
from gi.repository import GLib, IBus  # noqa: E402

preedit, text = sys.argv[1], sys.argv[2]
loop = GLib.MainLoop()
focused = []


class Extension(IBus.PanelService):
    def do_focus_in(self, path):
        focused.append(path)
        loop.quit()

    def do_focus_out(self, path):
        print("focus-out", path, flush=True)


def wait(seconds, done=lambda: False):
    if done():
        return
    source = GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()
    if not done():
        return
    GLib.source_remove(source)


def event(enabled):
    return IBus.ExtensionEvent(name="emoji", is_enabled=enabled, is_extension=True)


bus = IBus.Bus()
if not bus.is_connected():
    sys.exit("no IBus daemon")
print("current context", bus.current_input_context(), flush=True)
before = bus.get_name_owner(IBus.SERVICE_PANEL_EXTENSION_EMOJI)
ext = Extension(connection=bus.get_connection(), object_path=IBus.PATH_PANEL_EXTENSION_EMOJI)
reply = bus.request_name(IBus.SERVICE_PANEL_EXTENSION_EMOJI,
                         IBus.BusNameFlag.ALLOW_REPLACEMENT | IBus.BusNameFlag.REPLACE_EXISTING)
print("request_name", reply, "(previous owner", before, "now", bus.get_name_owner(IBus.SERVICE_PANEL_EXTENSION_EMOJI) + ")", flush=True)
wait(3, lambda: focused)
if not focused:
    sys.exit("no FocusIn from the daemon")
print("focus-in", focused[-1], flush=True)
# Attach ourselves to the focused context, so that the daemon marks our preedit visible.
ext.panel_extension(event(True))
ext.update_preedit_text_received(IBus.Text.new_from_string(preedit), len(preedit), True)
wait(0.5)
ext.commit_text(IBus.Text.new_from_string(text))
ext.panel_extension(event(False))
wait(0.5)
print("release_name", bus.release_name(IBus.SERVICE_PANEL_EXTENSION_EMOJI), flush=True)
wait(0.3)
print("owner after release", bus.get_name_owner(IBus.SERVICE_PANEL_EXTENSION_EMOJI), flush=True)
