#!/usr/bin/env bash
# Control from the command line, as a desktop key binding does it: `quillo --start` on the key
# press, speech into the virtual microphone, `quillo --stop` on the release -> the text appears
# in the focused window. `--cancel` drops a dictation; with no Quillo running a command exits 1.
source "$(dirname "$0")/lib.sh"

cli --toggle
[ "$CLI_STATUS" = 1 ] || fail "--toggle without a running Quillo exited $CLI_STATUS"
grep -qF "没有正在运行的 Quillo" "$E2E_TMP/cli.err" || fail "--toggle without a running Quillo said: '$CLI_ERR'"
note "no Quillo running: exit 1, '$CLI_ERR'"
LANGUAGE=en cli --toggle
[ "$CLI_STATUS" = 1 ] && grep -qF "No Quillo is running" "$E2E_TMP/cli.err" || fail "in English it said: '$CLI_ERR'"
cli --toggle --lang en
grep -qF "No Quillo is running" "$E2E_TMP/cli.err" || fail "with --lang en it said: '$CLI_ERR'"
cli --toggle --lang xx
[ "$CLI_STATUS" = 2 ] || fail "--lang xx exited $CLI_STATUS"

start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
start_target "Quillo Command Target"

start_quillo

cli --start
[ "$CLI_STATUS" = 0 ] || fail "--start exited $CLI_STATUS: '$CLI_ERR'"
sleep 0.4
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
sleep 0.4
cli --stop
[ "$CLI_STATUS" = 0 ] || fail "--stop exited $CLI_STATUS: '$CLI_ERR'"
wait_until 20 grep -qF "我们明天下午四点开会" "$TARGET_OUT" \
  || { cat "$E2E_TMP/quillo.out"; fail "nothing landed in the window: '$(target_text)'"; }
note "--start/--stop pasted: $(target_text)"
kill -0 "$quillo_pid" 2>/dev/null || fail "the running Quillo exited"

# A second stop finds nothing to stop: still taken by the instance, still exit 0.
cli --stop
[ "$CLI_STATUS" = 0 ] || fail "a second --stop exited $CLI_STATUS: '$CLI_ERR'"

before=$(target_text)
sleep 1.5 # the panel has faded and the previous clipboard is back
cli --start
[ "$CLI_STATUS" = 0 ] || fail "--start exited $CLI_STATUS: '$CLI_ERR'"
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
cli --cancel
[ "$CLI_STATUS" = 0 ] || fail "--cancel exited $CLI_STATUS: '$CLI_ERR'"
sleep 4
[ "$(target_text)" = "$before" ] || fail "a cancelled dictation pasted: '$(target_text)'"
counts=$(/usr/bin/python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(len(d["asrSessions"]), len(d["chatRequests"]))' "$E2E_TMP/received.json")
[ "${counts% *}" -ge 2 ] || fail "the cancelled dictation never reached the service ($counts)"
[ "${counts#* }" = 1 ] || fail "a cancelled dictation was polished ($counts)"
note "--cancel dropped the dictation; window unchanged"

# A second plain launch still only opens the running instance's settings window.
timeout 10 "$QUILLO" >"$E2E_TMP/second.out" 2>&1 || fail "a second launch exited $?: $(cat "$E2E_TMP/second.out")"
wait_until 10 sh -c 'xdotool search --name "Quillo 设置" >/dev/null 2>&1' || fail "a second launch did not open the settings window"
note "a second launch opened the settings window"
echo PASS
