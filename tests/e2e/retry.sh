#!/usr/bin/env bash
# A dictation that fails at the recognition service keeps its audio (owner-only, in the cache
# folder); after a restart `quillo --retry` dictates it against a healthy service: the text lands
# in the focused window and the kept audio is gone; with nothing kept, --retry says so and fails.
source "$(dirname "$0")/lib.sh"
recordings
start_target "Quillo Retry Target"
folder=${XDG_CACHE_HOME:-$HOME/.cache}/nolt/Quillo/recordings
rm -rf "$folder"

start_fake "$SCENARIOS/asr-error.json"
import_key test-key "$FAKE_HOST"
status=0
timeout 60 "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.5 >"$E2E_TMP/failed.out" 2>&1 || status=$?
[ "$status" = 1 ] || { cat "$E2E_TMP/failed.out"; fail "the failing dictation exited $status"; }
grep -q '^\[e2e\] phase: failed("识别服务错误' "$E2E_TMP/failed.out" || { cat "$E2E_TMP/failed.out"; fail "no recognition failure"; }
[ -z "$(target_text)" ] || fail "the failing dictation pasted '$(target_text)'"
shopt -s nullglob
wavs=("$folder"/*.wav)
[ "${#wavs[@]}" = 1 ] || fail "not one recording kept in $folder: $(ls -la "$folder" 2>&1)"
kept=${wavs[0]%.wav}
[ -s "$kept.wav" ] && [ -s "$kept.json" ] || fail "no audio kept in $folder: $(ls -la "$folder" 2>&1)"
[ "$(stat -c %a "$folder")" = 700 ] || fail "$folder has mode $(stat -c %a "$folder"), not 700"
for f in "$kept.wav" "$kept.json"; do
  [ "$(stat -c %a "$f")" = 600 ] || fail "$f has mode $(stat -c %a "$f"), not 600"
done
grep -q 'test-key' "$kept.json" && fail "the key was written beside the audio"
kept_bytes=$(( $(stat -c %s "$kept.wav") - 44 ))
grep -q "^\[e2e\] retry: kept $kept_bytes bytes" "$E2E_TMP/failed.out" || { cat "$E2E_TMP/failed.out"; fail "no retry line for $kept_bytes bytes"; }
note "kept $kept_bytes bytes of audio, mode 600: $(cat "$kept.json")"
kill "${E2E_PIDS[-1]}" 2>/dev/null || true

# A healthy service and a fresh start of the program.
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
start_quillo

cli --retry
[ "$CLI_STATUS" = 0 ] || fail "--retry exited $CLI_STATUS: '$CLI_ERR'"
polished="我们明天下午四点开会，记得带上演示"
wait_until 20 grep -qF "$polished" "$TARGET_OUT" \
  || { cat "$E2E_TMP/quillo.out"; fail "nothing landed in the window: '$(target_text)'"; }
wait_until 5 sh -c '[ ! -e "$1.wav" ] && [ ! -e "$1.json" ]' _ "$kept" || fail "the kept audio is still there after the retry"
history_texts >"$E2E_TMP/history.txt"
grep -qxF "$polished" "$E2E_TMP/history.txt" || fail "the retried text is not in the history"
sent=$(/usr/bin/python3 -c 'import json,sys; s=json.load(open(sys.argv[1]))["asrSessions"]; print(len(s), s[-1]["audioBytes"])' "$E2E_TMP/received.json")
# The kept bytes again, then the half second of silence that ends every dictation.
[ "$sent" = "1 $((kept_bytes + 16000))" ] || fail "the service got (sessions, bytes) = ($sent), not (1, $kept_bytes + 16000)"
note "retry pasted: $(target_text); the service heard the same $kept_bytes bytes; the kept audio is gone"

# Nothing left to retry: said in one line, and a failure for a key binding's script.
cli --retry
[ "$CLI_STATUS" = 1 ] || fail "a second --retry exited $CLI_STATUS: '$CLI_ERR'"
grep -qF "没有可重试的录音" "$E2E_TMP/cli.err" || fail "a second --retry said: '$CLI_ERR'"
echo PASS
