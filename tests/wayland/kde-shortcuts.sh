#!/usr/bin/env bash
# Hold-to-talk through KDE Plasma's own global shortcuts: Quillo binds its hot keys through the
# real xdg-desktop-portal (GlobalShortcuts, KDE backend), and KWin's kglobalaccel then holds them
# under exactly one component, the same one with the same keys after Quillo starts again.
# Pressing the key kglobalaccel bound to `hold` (real key presses through KWin), speaking into
# the virtual microphone and releasing puts the polished text into a native GTK window;
# left Alt+Tab, the window switcher, starts no dictation.
source "$E2E_DIR/lib.sh"
source "$(dirname "$0")/kde-lib.sh"
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
trap 'status=$?; [ $status = 0 ] || kde_diagnostics; e2e_cleanup; exit $status' EXIT

start_gtk_target "Quillo KDE Target"
note "the GTK window has the focus: $(kde_query focus)"
watch_focus

# start_observer N: `quillo --e2e-observe`, output in $E2E_TMP/quillo.N.out, pid in quillo_pid.
start_observer() {
  QUILLO_OUT=$E2E_TMP/quillo.$1.out
  "$QUILLO" --e2e-observe >"$QUILLO_OUT" 2>&1 &
  E2E_PIDS+=($!)
  quillo_pid=$!
}

# one_component: waits until exactly one kglobalaccel component is Quillo's and holds a key for
# `hold`; sets COMPONENT.
one_component() {
  local found
  holds_hold_key() {
    found=$(quillo_components)
    [ "$(printf '%s' "$found" | grep -c .)" = 1 ] || return 1
    kde_query keys hold --component "$found" >/dev/null 2>&1
  }
  wait_secs 20 holds_hold_key || {
    cat "$QUILLO_OUT"
    local n
    n=$(printf '%s' "$found" | grep -c . || true)
    [ "$n" = 0 ] && fail "$1: kglobalaccel holds none of Quillo's shortcuts (no component has ${QUILLO_ACTIONS[*]} or 'quillo' in its name)"
    [ "$n" = 1 ] || fail "$1: Quillo's shortcuts are in $n kglobalaccel components: $(printf '%s' "$found" | tr '\n' ' ')"
    fail "$1: component '$found' has no key for 'hold': $(shortcut_table "$found" | tr '\n' ';')"
  }
  COMPONENT=$found
}

start_observer 1
one_component "first start"
first_component=$COMPONENT
first_table=$(shortcut_table "$COMPONENT")
note "kglobalaccel: component '$COMPONENT' holds"$'\n'"$(sed 's/^/     /' <<<"$first_table")"
kill -0 "$quillo_pid" 2>/dev/null || { cat "$QUILLO_OUT"; fail "Quillo exited"; }

# Quit, start again: the same component with the same keys (the user's own changes survive).
kill "$quillo_pid"
wait_for_exit "$quillo_pid" 10 >/dev/null || true
start_observer 2
sleep 3 # time to bind (again, wrongly): a second component would appear by now
one_component "second start"
[ "$COMPONENT" = "$first_component" ] \
  || fail "second start: the component is now '$COMPONENT', was '$first_component'"
second_table=$(shortcut_table "$COMPONENT")
[ "$second_table" = "$first_table" ] \
  || fail "second start: the keys changed:"$'\n'"before:"$'\n'"$first_table"$'\n'"after:"$'\n'"$second_table"
note "after a restart: still '$COMPONENT', same keys"

focused_is quillo-gtk-target || fail "Quillo took the focus from the GTK window (focus: $(kde_query focus))"
keys=$(kde_query keys hold --component "$COMPONENT") || fail "no key to press for 'hold'"
note "pressing the key kglobalaccel bound to 'hold': evdev $keys"

# Hold the key (KWin keeps a fake device's keys down between invocations), speak, release.
IFS=+ read -r -a codes <<<"$keys"
# The chord goes down, and later up, in one invocation each: within milliseconds, as a hand does.
press=() release=()
for code in "${codes[@]}"; do press+=(down "$code"); done
for ((i = ${#codes[@]} - 1; i >= 0; i--)); do release+=(up "${codes[i]}"); done
kwin_keys "${press[@]}" || fail "kwin-keys could not press $keys"
wait_until 5 grep -q '^\[e2e\] phase: recording' "$QUILLO_OUT" \
  || { cat "$QUILLO_OUT"; kwin_keys "${release[@]}" || true
       fail "pressing $keys (Quillo's 'hold') started no recording"; }
sleep 0.3
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
sleep 0.4
kwin_keys "${release[@]}"

polished="我们明天下午四点开会，记得带上演示"
wait_until 25 grep -qF "$polished" "$TARGET_OUT" \
  || { cat "$QUILLO_OUT"; fail "the GTK window got '$(target_text)', not the polished text (focus: $(kde_query focus))"; }
note "hold-to-talk through kglobalaccel dictated into the GTK window: $(target_text)"
grep -q '^\[e2e\] phase: done' "$QUILLO_OUT" || { cat "$QUILLO_OUT"; fail "no done line"; }

# Left Alt+Tab, the window switcher: no dictation. (A hold key of a lone Alt would start one:
# kglobalaccel knows no left or right Alt, and its Alt shortcut fires on the Alt of Alt+Tab.)
settled() {
  case "$(grep '^\[e2e\] phase:' "$QUILLO_OUT" | tail -n 1)" in *idle* | *done* | *failed*) return 0 ;; esac
  return 1
}
wait_until 10 settled || true
recordings_before=$(grep -c '^\[e2e\] phase: recording' "$QUILLO_OUT" || true)
kwin_keys hold 0.5 56+15 || fail "kwin-keys could not press Alt+Tab"
sleep 1.5
recordings_after=$(grep -c '^\[e2e\] phase: recording' "$QUILLO_OUT" || true)
[ "$recordings_after" = "$recordings_before" ] \
  || { cat "$QUILLO_OUT"; fail "left Alt+Tab started a dictation"; }
note "left Alt+Tab started no dictation"

# The observed instance is the session's Quillo: the command line reaches it, and cancels
# without a key taken from every window.
grep -q '^\[e2e\] portal: shortcuts bound: ' "$QUILLO_OUT" || { cat "$QUILLO_OUT"; fail "no portal line"; }
"$QUILLO" --start || fail "quillo --start did not reach the observed Quillo"
wait_until 5 sh -c '[ "$(grep -c "^\[e2e\] phase: recording" "$1")" -gt "$2" ]' _ "$QUILLO_OUT" "$recordings_after" \
  || { cat "$QUILLO_OUT"; fail "quillo --start started no recording"; }
"$QUILLO" --cancel || fail "quillo --cancel did not reach the observed Quillo"
wait_until 5 sh -c 'grep "^\[e2e\] phase:" "$1" | tail -n 1 | grep -q idle' _ "$QUILLO_OUT" \
  || { cat "$QUILLO_OUT"; fail "quillo --cancel did not end the recording"; }
kill -0 "$quillo_pid" 2>/dev/null || { cat "$QUILLO_OUT"; fail "Quillo exited"; }
echo PASS
