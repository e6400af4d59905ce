#!/usr/bin/env bash
# The first-start path of the README: Quillo runs without a key, the user then stores key and
# host from a terminal (a second process); the running program dictates with them at once.
source "$(dirname "$0")/lib.sh"
start_fake "$SCENARIOS/polite.json"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
start_target "Quillo Key Later Target"

"$QUILLO" >"$E2E_TMP/quillo.out" 2>&1 &
E2E_PIDS+=($!)
quillo_pid=$!
wait_until 10 sh -c 'xdotool search --name "Quillo 设置" >/dev/null 2>&1' \
  || { cat "$E2E_TMP/quillo.out"; fail "no settings window on a start without a key"; }

# Key and host arrive from another process while the program runs.
import_key test-key "$FAKE_HOST"
kill -0 "$quillo_pid" 2>/dev/null || { cat "$E2E_TMP/quillo.out"; fail "the program exited"; }
focus_target || fail "target window did not get the focus back"

xdotool keydown 108
sleep 0.4
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
sleep 0.4
xdotool keyup 108
wait_until 20 grep -qF "我们明天下午四点开会" "$TARGET_OUT" \
  || { cat "$E2E_TMP/quillo.out"; fail "the key stored after start was not used: '$(target_text)'"; }
note "dictated with a key stored after start: $(target_text)"
echo PASS
