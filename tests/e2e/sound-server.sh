#!/usr/bin/env bash
# The sound server misbehaving under the real program: none at all at start (the dictation says
# so, the next one after the server came up works); the microphone removed in the middle of a
# hold-to-talk recording ends it, and what was said so far is still pasted; PulseAudio restarted
# between two dictations is found again without restarting Quillo.
source "$(dirname "$0")/lib.sh"
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
start_target "Quillo Sound Target"

# start_server: the same server with-pulse starts.
start_server() {
  pulseaudio -D --exit-idle-time=-1 -n --disallow-exit=false --system=false \
    --load=module-native-protocol-unix --load="module-null-sink sink_name=vsink" \
    --load="module-remap-source master=vsink.monitor source_name=vmic" --load=module-always-sink >/dev/null 2>&1
  wait_until 5 pactl info >/dev/null 2>&1 || fail "PulseAudio did not start"
  pactl set-default-source vmic
  pactl set-default-sink vsink
}
stop_server() {
  pulseaudio --kill
  wait_until 5 sh -c '! pactl info >/dev/null 2>&1' || fail "PulseAudio did not stop"
}

stop_server
start_quillo

pasted() { grep -o "四点开会" "$TARGET_OUT" 2>/dev/null | wc -l; }
pasted_at_least() { [ "$(pasted)" -ge "$1" ]; }
expect_pasted() { # expect_pasted COUNT WHAT
  wait_until 20 pasted_at_least "$1" \
    || { cat "$E2E_TMP/quillo.out"; fail "$2: nothing pasted ('$(target_text)')"; }
  note "$2: pasted ($(pasted) so far)"
}
hold_and_speak() {
  xdotool keydown 108
  sleep 0.4
  timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
  sleep 0.4
  xdotool keyup 108
}
microphone_module() { pactl list short modules | awk '/module-remap-source/ { print $1 }'; }

# No sound server: the press is refused with a message, the program stays.
xdotool keydown 108
sleep 1
xdotool keyup 108
sleep 1
kill -0 "$quillo_pid" 2>/dev/null || { cat "$E2E_TMP/quillo.out"; fail "the program died without a sound server"; }
[ "$(pasted)" = 0 ] || fail "pasted without a microphone"
sleep 2
start_server
hold_and_speak
expect_pasted 1 "first dictation once the server is up"
sleep 1.5

# The microphone goes away while the key is still held: the recording ends by itself.
xdotool keydown 108
sleep 0.4
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
pactl unload-module "$(microphone_module)"
expect_pasted 2 "microphone removed mid-recording"
xdotool keyup 108
kill -0 "$quillo_pid" 2>/dev/null || { cat "$E2E_TMP/quillo.out"; fail "the program died with the microphone"; }
pactl load-module module-remap-source master=vsink.monitor source_name=vmic >/dev/null
pactl set-default-source vmic
sleep 1.5
hold_and_speak
expect_pasted 3 "microphone back"
sleep 1.5

stop_server
start_server
hold_and_speak
expect_pasted 4 "after a sound server restart"
kill -0 "$quillo_pid" 2>/dev/null || fail "the program exited"
echo PASS
