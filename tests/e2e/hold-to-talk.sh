#!/usr/bin/env bash
# The real path: the program started as a user starts it, right Alt held through XTest, speech
# played into the virtual microphone, key released -> the text appears in the focused window.
# Escape during a recording cancels it and nothing is pasted. --doctor shows the running
# Quillo's timings of the dictation.
source "$(dirname "$0")/lib.sh"
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
start_target "Quillo Hold Target"

"$QUILLO" >"$E2E_TMP/quillo.out" 2>&1 &
E2E_PIDS+=($!)
quillo_pid=$!
# Started normally with a key stored: no settings window, and the hotkeys are grabbed.
sleep 2
kill -0 "$quillo_pid" 2>/dev/null || { cat "$E2E_TMP/quillo.out"; fail "the program exited at start-up"; }
if xdotool search --name "Quillo 设置" >/dev/null 2>&1; then fail "settings window opened although a key is stored"; fi
focus_target || fail "target window lost the focus"

# hold_and_speak [escape]: right Alt down, speech into the sink, optionally Escape, key up.
hold_and_speak() {
  xdotool keydown 108
  sleep 0.4
  timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
  [ "${1:-}" = escape ] && { xdotool key Escape; sleep 0.3; }
  sleep 0.4
  xdotool keyup 108
}

hold_and_speak
wait_until 20 grep -qF "我们明天下午四点开会" "$TARGET_OUT" \
  || { cat "$E2E_TMP/quillo.out"; cat "$E2E_TMP/received.json" 2>/dev/null | head -c 2000; fail "nothing landed in the window: '$(target_text)'"; }
note "hold-to-talk pasted: $(target_text)"

before=$(target_text)
sleep 1.5 # the panel has faded and the previous clipboard is back
# The running Quillo tells the doctor where that dictation's time went.
timeout 20 "$QUILLO" --doctor >"$E2E_TMP/doctor.out" 2>&1 || true
grep -qE '^  · press->recording [0-9]+ ms, .*release->paste [0-9]+ ms, done$' "$E2E_TMP/doctor.out" \
  || { cat "$E2E_TMP/doctor.out"; fail "the doctor does not show the last dictation's timings"; }
hold_and_speak escape
sleep 6
[ "$(target_text)" = "$before" ] || fail "a cancelled recording pasted: '$(target_text)'"
# The second recording did happen (a second recognition session) and went no further than that.
counts=$(/usr/bin/python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(len(d["asrSessions"]), len(d["chatRequests"]))' "$E2E_TMP/received.json")
[ "${counts% *}" -ge 2 ] || fail "the cancelled recording never reached the service ($counts)"
[ "${counts#* }" = 1 ] || fail "a cancelled recording was polished ($counts)"
note "Escape cancelled; window unchanged"
echo PASS
