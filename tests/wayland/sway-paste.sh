#!/usr/bin/env bash
# A scripted dictation in a native Wayland window: sway headless, a foot terminal whose
# typed input goes to a file. The polished text reaches foot through wl-copy and wtype,
# the clipboard the user had comes back, and the terminal is taken for a coding app.
source "$E2E_DIR/lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"

typed=$E2E_TMP/typed.txt
: >"$typed"
foot -e sh -c "stty -echo -icanon min 1; cat > '$typed'" >"$E2E_TMP/foot.log" 2>&1 &
E2E_PIDS+=($!)
focused_app() {
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("focused"):
        return n
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        f = walk(c)
        if f:
            return f
f = walk(json.load(sys.stdin)) or {}
print(f.get("app_id") or (f.get("window_properties") or {}).get("class") or "-")'
}
focused_is() { [ "$(focused_app)" = "$1" ]; }
wait_until 10 focused_is foot || { cat "$E2E_TMP/foot.log"; fail "foot did not take the focus (focus: $(focused_app))"; }

before="wayland clipboard before dictation $RANDOM"
wl-copy "$before"
[ "$(wl-paste -n)" = "$before" ] || fail "wl-copy did not take"

"$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.5 >"$E2E_TMP/run.out" 2>"$E2E_TMP/run.err" &
E2E_PIDS+=($!)
run_pid=$!
wait_until 40 grep -q '^\[e2e\] phase: \(done\|failed\)' "$E2E_TMP/run.out" \
  || { cat "$E2E_TMP/run.out" "$E2E_TMP/run.err"; fail "no result"; }
polished="我们明天下午四点开会，记得带上演示"
wait_until 5 grep -qF "$polished" "$typed" \
  || { cat "$E2E_TMP/run.out" "$E2E_TMP/run.err"; fail "foot got '$(cat "$typed")', not the polished text (focus: $(focused_app))"; }
wait_until 2 sh -c '[ "$(wl-paste -n 2>/dev/null)" = "$1" ]' _ "$before" \
  || fail "clipboard is '$(wl-paste -n 2>&1)', not the user's '$before'"
status=0
wait_for_exit "$run_pid" 10 || status=$?
cat "$E2E_TMP/run.out"
[ "$status" = 0 ] || { cat "$E2E_TMP/run.err"; fail "--e2e-file exited with $status"; }
grep -q '^\[e2e\] phase: done.* · 前台应用 foot · 场景 coding$' "$E2E_TMP/run.out" \
  || fail "the done line does not name foot as a coding app"
grep -q '^\[e2e\] paste: route wayland-tools, paste posted after' "$E2E_TMP/run.out" || fail "no wayland paste line"
history_texts | grep -qxF "$polished" || fail "no history entry"
note "foot: $(cat "$typed"); clipboard restored; $(grep '^\[e2e\] paste:' "$E2E_TMP/run.out")"
echo PASS
