# shellcheck shell=bash
# Shared by the GNOME scripts (run in tests/support/with-gnome; sourced after tests/e2e/lib.sh):
# a native GTK target, the clipboard as the compositor holds it, and portal sessions.

# start_gtk_target: a GTK 3 window on Wayland with the focus; its text lands in $TARGET_OUT,
# its focus changes in $TARGET_OUT.focus.
start_gtk_target() {
  TARGET_OUT=$E2E_TMP/target.txt
  GDK_BACKEND=wayland /usr/bin/python3 "$SUPPORT/gtk-target-window.py" "Quillo target" "$TARGET_OUT" \
    >"$E2E_TMP/target.log" 2>&1 &
  E2E_PIDS+=($!)
  wait_until 10 test -e "$TARGET_OUT" || { cat "$E2E_TMP/target.log"; fail "the GTK target did not take the focus"; }
}
target_focused() { [ "$(tail -n 1 "$TARGET_OUT.focus" | cut -d' ' -f1)" = in ]; }

# clipboard: the text on the clipboard, read through mutter's remote-desktop session: unlike
# wl-paste it takes no window's focus, so reading it changes nothing under test.
clipboard() { "$QUILLO_GNOME_INPUT" clipboard 2>/dev/null || true; }
clipboard_is() { [ "$(clipboard)" = "$1" ]; }

# portal_sessions PID: the portal sessions the process holds, one object path a line.
portal_sessions() { "$SUPPORT/gnome-portal" sessions "$1"; }

# gnome_logs: the stack's logs, for a failure's report.
gnome_logs() { tail -n 15 "$QUILLO_GNOME_LOGS"/portal*.log >&2 || true; }
