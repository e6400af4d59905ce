#!/bin/bash
# Does a process that is not IBus's engine get text into the focused GTK entry?
# Run under a display: tests/support/with-xvfb tests/ibus/run-commit-experiment.sh
# Starts a private session bus (activating nothing) and ibus-daemon (as GNOME starts it: --panel disable, the emoji
# extension on), a GTK 3 entry using the ibus module, then commit-as-extension.py; checks the
# entry's log for the preedit and the committed text.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
preedit="我们明天"
text="我们明天下午四点开会 🎉"
tmp=$(mktemp -d)
pids=()
cleanup() {
    local p c
    for p in "${pids[@]}"; do
        # ibus-daemon's components (ibus-extension-gtk3) are its children: end them while it
        # lives to reap them.
        for c in $(pgrep -P "$p" 2>/dev/null || true); do
            kill "$c" 2>/dev/null || true
            timeout 5 tail --pid="$c" -f /dev/null || kill -9 "$c" 2>/dev/null || true
        done
        kill "$p" 2>/dev/null || true
    done
    for p in "${pids[@]}"; do timeout 5 tail --pid="$p" -f /dev/null || kill -9 "$p" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_CACHE_HOME="$tmp/home/.cache"
export XDG_RUNTIME_DIR="$tmp/run" IBUS_ADDRESS_FILE="$tmp/ibus-address" GTK_IM_MODULE=ibus NO_AT_BRIDGE=1
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

dbus-daemon --config-file="$here/../support/session-bus.conf" --nofork --print-address=3 3>"$tmp/bus" &
pids+=($!)
for _ in $(seq 50); do [ -s "$tmp/bus" ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$tmp/bus"); export DBUS_SESSION_BUS_ADDRESS

ibus-daemon --panel disable --config disable --cache none --address "unix:path=$tmp/ibus" >"$tmp/daemon.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$IBUS_ADDRESS_FILE" ] && break; sleep 0.1; done
[ -s "$IBUS_ADDRESS_FILE" ] || { echo "ibus-daemon did not start" >&2; cat "$tmp/daemon.log" >&2; exit 1; }

/usr/bin/python3 "$here/entry-window.py" "$tmp/entry.log" 2>"$tmp/window.err" &
pids+=($!)
for _ in $(seq 100); do grep -q '^focus-in' "$tmp/entry.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^focus-in' "$tmp/entry.log" || { echo "the entry got no focus" >&2; exit 1; }

timeout 20 /usr/bin/python3 "$here/commit-as-extension.py" "$preedit" "$text"
for _ in $(seq 50); do grep -qxF "text $text" "$tmp/entry.log" && break; sleep 0.1; done
echo "--- entry log"; cat "$tmp/entry.log"
grep -qxF "preedit $preedit" "$tmp/entry.log" || { echo "FAIL: no preedit" >&2; exit 1; }
grep -qxF "text $text" "$tmp/entry.log" || { echo "FAIL: text not committed" >&2; exit 1; }
echo "OK: preedit shown and text committed by a non-engine client"
