#!/usr/bin/env bash
# A scripted dictation in a native Wayland window: sway headless, a foot terminal whose
# typed input goes to a file. The polished text reaches foot through wl-copy and wtype,
# the clipboard the user had comes back, and the terminal is taken for a coding app; once with
# the windows on XWayland, once on Wayland alone.
source "$E2E_DIR/lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"

source "$(dirname "$0")/foot-target.sh"

polished="我们明天下午四点开会，记得带上演示"
# dictate LABEL [ENV...]: one scripted dictation into foot; the clipboard set before comes back.
dictate() {
  local label=$1; shift
  local out=$E2E_TMP/$label.out err=$E2E_TMP/$label.err before="clipboard before the $label dictation $RANDOM"
  local pasted_before
  pasted_before=$(grep -o "$polished" "$typed" | wc -l || true)
  wl-copy "$before"
  [ "$(wl-paste -n)" = "$before" ] || fail "wl-copy did not take"
  env "$@" "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.3 >"$out" 2>"$err" &
  E2E_PIDS+=($!)
  local run_pid=$!
  wait_until 40 grep -q '^\[e2e\] phase: \(done\|failed\)' "$out" || { cat "$out" "$err"; fail "$label: no result"; }
  wait_until 5 sh -c '[ "$(grep -o "$1" "$2" | wc -l)" -gt "$3" ]' _ "$polished" "$typed" "$pasted_before" \
    || { cat "$out" "$err"; fail "$label: (had $pasted_before, now $(grep -o "$polished" "$typed" | wc -l)) foot got '$(cat "$typed")', not the polished text (focus: $(focused_app))"; }
  wait_until 2 sh -c '[ "$(wl-paste -n 2>/dev/null)" = "$1" ]' _ "$before" \
    || fail "$label: clipboard is '$(wl-paste -n 2>&1)', not the user's '$before'"
  local status=0
  wait_for_exit "$run_pid" 10 || status=$?
  cat "$out"
  [ "$status" = 0 ] || { cat "$err"; fail "$label: --e2e-file exited with $status"; }
  grep -q '^\[e2e\] phase: done.* · 前台应用 foot$' "$out" || fail "$label: the done line does not name foot"
  grep -qx '\[e2e\] style: coding' "$out" || fail "$label: foot was not taken for a coding app"
  grep -q '^\[e2e\] paste: route wayland-tools, paste posted after' "$out" || fail "$label: no wayland paste line"
  note "$label: pasted into foot, clipboard restored; $(grep '^\[e2e\] paste:' "$out")"
}

# No XWayland: Qt's Wayland platform throughout.
dictate wayland-only -u DISPLAY
# Windows on XWayland (the panel places itself), paste through the compositor.
dictate xwayland
has_history_text "$polished" || fail "no history entry"

# A desktop finds a native window's entry (name, icon in the dock) by its app id.
env -u DISPLAY "$QUILLO" --open-settings >"$E2E_TMP/settings.out" 2>&1 &
E2E_PIDS+=($!)
wait_until 10 sh -c 'swaymsg -t get_tree | grep -Eq "\"app_id\": ?\"com\.nolt\.quillo\""' \
  || { cat "$E2E_TMP/settings.out"; fail "no window with the app id com.nolt.quillo (focus: $(focused_app))"; }
note "settings window: app id com.nolt.quillo"
echo PASS
