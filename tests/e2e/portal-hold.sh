#!/usr/bin/env bash
# Hold-to-talk through the desktop's global shortcuts: in a Wayland session whose portal offers
# GlobalShortcuts, the portal's Activated/Deactivated of "hold" start and end the dictation
# (a fake portal on the test's session bus; windows on X, as under XWayland).
source "$(dirname "$0")/lib.sh"
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
start_target "Quillo Portal Target"

"$FAKE_PORTAL" >"$E2E_TMP/portal.out" 2>&1 &
E2E_PIDS+=($!)
wait_until 10 grep -q 'ready' "$E2E_TMP/portal.out" || { cat "$E2E_TMP/portal.out"; fail "fake portal did not start"; }
portal() { dbus-send --session --print-reply --dest=org.quillo.FakePortal /org/quillo/FakePortal "org.quillo.FakePortal.$1" "string:$2" >/dev/null; }

WAYLAND_DISPLAY=wayland-quillo-test "$QUILLO" --e2e-observe >"$E2E_TMP/quillo.out" 2>&1 &
E2E_PIDS+=($!)
wait_until 10 grep -q 'register hold .* status=0' "$E2E_TMP/quillo.out" \
  || { cat "$E2E_TMP/quillo.out"; fail "the hold shortcut was not bound through the portal"; }
focus_target || fail "target window lost the focus"

portal Activate hold
sleep 0.4
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
sleep 0.4
portal Deactivate hold
wait_until 20 grep -qF "我们明天下午四点开会" "$TARGET_OUT" \
  || { cat "$E2E_TMP/quillo.out"; fail "nothing landed in the window: '$(target_text)'"; }
grep -q '^\[e2e\] hotkey: carbon hold pressed=true' "$E2E_TMP/quillo.out" || fail "no press from the portal"
note "portal hold-to-talk pasted: $(target_text)"
echo PASS
