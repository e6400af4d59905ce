#!/usr/bin/env bash
# Quillo killed (SIGKILL) in the middle of a recording: what it had sent is already on disk. The
# next start keeps it as a failed recording, and `quillo --retry` dictates it into the window
# focused now, the service hearing exactly those bytes again.
source "$(dirname "$0")/lib.sh"
folder=${XDG_CACHE_HOME:-$HOME/.cache}/nolt/Quillo/recordings
rm -rf "$folder"

start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
start_target "Quillo Killed Target"
start_quillo

cli --start
[ "$CLI_STATUS" = 0 ] || fail "--start exited $CLI_STATUS: '$CLI_ERR'"
sleep 0.4
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
sleep 0.5
kill -KILL "$quillo_pid"
status=0
wait_for_exit "$quillo_pid" 10 || status=$?
[ "$status" = 137 ] || fail "the killed Quillo ended with $status"

shopt -s nullglob
wavs=("$folder"/*.wav)
[ "${#wavs[@]}" = 1 ] || fail "not one recording left in $folder: $(ls -la "$folder" 2>&1)"
kept=${wavs[0]%.wav}
grep -q '"state":"recording"' "$kept.json" || fail "the note does not say it was still recording: $(cat "$kept.json")"
kept_bytes=$(( ($(stat -c %s "$kept.wav") - 44) / 2 * 2 ))
heard=$(/usr/bin/python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["asrSessions"][0]["audioBytes"])' "$E2E_TMP/received.json")
# Written as it was sent: at most a chunk or two in flight at the kill.
[ "$kept_bytes" -gt 32000 ] && [ $(( heard - kept_bytes )) -le 6400 ] && [ $(( kept_bytes - heard )) -le 6400 ] \
  || fail "the disk has $kept_bytes bytes, the service heard $heard"
note "killed mid-recording: $kept_bytes bytes on disk, the service had heard $heard"

# The next start finds it and offers it; the retry lands in the window focused now.
start_quillo
wait_until 5 grep -q '"state":"failed"' "$kept.json" || fail "the next start did not close the recording: $(cat "$kept.json")"
tail -c +45 "$kept.wav" >"$E2E_TMP/kept.pcm"
cli --retry
[ "$CLI_STATUS" = 0 ] || fail "--retry exited $CLI_STATUS: '$CLI_ERR'"
wait_until 30 grep -qF "我们明天下午四点开会" "$TARGET_OUT" \
  || { cat "$E2E_TMP/quillo.out"; fail "nothing landed in the window: '$(target_text)'"; }
wait_until 5 sh -c '[ ! -e "$1.wav" ] && [ ! -e "$1.json" ]' _ "$kept" || fail "the kept audio is still there after the retry"
/usr/bin/python3 - "$E2E_TMP/received.json" "$kept_bytes" "$E2E_TMP/kept.pcm" <<'PY' || fail "the retry did not send the kept bytes"
import hashlib, json, sys
sessions = json.load(open(sys.argv[1]))["asrSessions"]
kept = open(sys.argv[3], "rb").read()
retry = sessions[-1]
# The kept bytes, then the half second of silence that ends every dictation.
expected = hashlib.sha256(kept + b"\0" * 16000).hexdigest()
if len(sessions) != 2 or len(kept) != int(sys.argv[2]) or retry.get("audioSha256") != expected:
    sys.exit("sessions %d, retry %s bytes %s" % (len(sessions), retry["audioBytes"], retry.get("audioSha256")))
PY
note "retried after the restart: '$(target_text)'; the service heard the same $kept_bytes bytes"
echo PASS
