#!/usr/bin/env bash
# Hold-to-talk through the compositor's own key bindings, as the README tells sway users to set
# it up: the bindings of sway-extra.conf run `quillo --start` on the key press and
# `quillo --stop` on its release. The running Quillo hears speech from the virtual microphone
# and the text lands in a native foot window; the clipboard the user had comes back, and the
# prompt was the one for a coding app.
source "$E2E_DIR/lib.sh"
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null

# sway runs its bindings with its own session variables; Quillo, started by the user's autostart,
# shares them, and that is how `quillo --start` finds the running instance.
sway_runtime=$(dirname "$WAYLAND_DISPLAY")
in_session() { env XDG_RUNTIME_DIR="$sway_runtime" WAYLAND_DISPLAY=wayland-1 "$@"; }
command -v quillo >/dev/null || fail "the bindings' 'quillo' is not on PATH"

source "$(dirname "$0")/foot-target.sh"

in_session "$QUILLO" >"$E2E_TMP/quillo.out" 2>&1 &
E2E_PIDS+=($!)
quillo_pid=$!
# The instance is ready once a command reaches it (exit 0); --cancel does nothing while idle.
wait_until 15 in_session timeout 5 quillo --cancel >/dev/null 2>&1 \
  || { cat "$E2E_TMP/quillo.out"; fail "the running Quillo does not take commands"; }
focused_is foot || fail "Quillo took the focus from foot (focus: $(focused_app))"

before="clipboard before the dictation $RANDOM"
wl-copy "$before"
[ "$(wl-paste -n)" = "$before" ] || fail "wl-copy did not take"

# Super+D held for the whole utterance by one virtual keyboard: sway runs the press binding,
# then the release binding when D goes up.
polished="我们明天下午四点开会，记得带上演示"
timeout 20 wtype -M logo -P d -s 3500 -p d -m logo &
E2E_PIDS+=($!)
wtype_pid=$!
sleep 0.5
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
wait_for_exit "$wtype_pid" 20 || fail "wtype did not finish"
wait_until 25 grep -qF "$polished" "$typed" \
  || { cat "$E2E_TMP/quillo.out"; grep -i 'quillo\|exec' "$QUILLO_SWAY_LOG" | tail -20; fail "foot got '$(cat "$typed")', not the polished text (focus: $(focused_app))"; }
note "the key binding dictated into foot: $(cat "$typed")"
# The bound key itself is the compositor's: foot got the text and nothing else.
[ "$(cat "$typed")" = "$polished" ] || fail "foot got more than the text: '$(cat "$typed")'"

wait_until 3 sh -c '[ "$(wl-paste -n 2>/dev/null)" = "$1" ]' _ "$before" \
  || fail "clipboard is '$(wl-paste -n 2>&1)', not the user's '$before'"
note "the clipboard came back"

# The prompt was built for a terminal: foot is a coding app.
/usr/bin/python3 - "$E2E_TMP/received.json" <<'PY' || fail "the polish prompt was not the coding one"
import json, sys
requests = json.load(open(sys.argv[1]))["chatRequests"]
system = requests[-1]["body"]["messages"][0]["content"]
sys.exit(0 if "终端或代码编辑器" in system else 1)
PY
note "foot was taken for a coding app"
# Not a pipe: grep -q may leave before the reader has written every entry (pipefail).
grep -qxF "$polished" <(history_texts) || fail "no history entry"
kill -0 "$quillo_pid" 2>/dev/null || fail "the running Quillo exited"
echo PASS
