#!/usr/bin/env bash
# After a dictation with polishing against the fake service, the API key is in the keyring and
# nowhere else: not in a file under the test's home (settings, history, caches), not in any
# output, not in the request bodies the service received, not on the running program's
# command line or in its environment (nor its children's).
source "$(dirname "$0")/lib.sh"
recordings
secret="sk-leak-probe-$RANDOM$RANDOM$RANDOM"
start_fake "$SCENARIOS/polite.json" --key "$secret"
import_key "$secret" "$FAKE_HOST"
found=$(timeout 10 secret-tool lookup server com.nolt.quillo user dashscope-api-key || true)
[ "$found" = "$secret" ] || fail "the key is not in the keyring (found '$found'), so nothing below would prove anything"
start_target "Quillo Secrets Target"

# Its own temporary folder, so whatever the program writes there is searched too.
mkdir -p "$E2E_TMP/program-tmp" "$E2E_TMP/proc"
TMPDIR=$E2E_TMP/program-tmp "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.5 \
  >"$E2E_TMP/run.out" 2>"$E2E_TMP/run.err" &
E2E_PIDS+=($!)
run_pid=$!

# snapshot: copies the command line and environment of the program and its children.
snapshots=0
snapshot() {
  local p
  for p in "$run_pid" $(grep -ls "^PPid:[[:space:]]*$run_pid\$" /proc/[0-9]*/status | cut -d/ -f3); do
    cat "/proc/$p/cmdline" >>"$E2E_TMP/proc/$p.cmdline" 2>/dev/null || continue
    cat "/proc/$p/environ" >>"$E2E_TMP/proc/$p.environ" 2>/dev/null || continue
    [ "$p" != "$run_pid" ] || snapshots=$((snapshots + 1))
  done
}
end=$((SECONDS + 40))
while kill -0 "$run_pid" 2>/dev/null; do
  snapshot
  [ $SECONDS -lt $end ] || { cat "$E2E_TMP/run.out" "$E2E_TMP/run.err"; fail "the dictation did not end within 40 s"; }
  sleep 0.1
done
status=0
wait "$run_pid" || status=$?
[ "$status" = 0 ] || { cat "$E2E_TMP/run.out" "$E2E_TMP/run.err"; fail "--e2e-file exited with $status"; }
grep -q '^\[e2e\] phase: done' "$E2E_TMP/run.out" || { cat "$E2E_TMP/run.out"; fail "no done phase line"; }
[ "$snapshots" -gt 0 ] && [ -s "$E2E_TMP/proc/$run_pid.environ" ] || fail "could not read /proc/$run_pid while it ran"

# The run really used the key: the service accepted it for recognition and for polishing.
/usr/bin/python3 - "$E2E_TMP/received.json" <<'PY' || fail "the fake service did not see the key accepted on both protocols"
import json, sys
got = json.load(open(sys.argv[1], encoding="utf-8"))
asr, chat = got.get("asrSessions", []), got.get("chatRequests", [])
ok = asr and chat and all(s.get("keyAccepted") for s in asr) and all(c.get("keyAccepted") for c in chat)
sys.exit(0 if ok else 1)
PY

# leaks LABEL PATH...: fails naming the first file under PATH that holds the key.
leaks() {
  local label=$1 hit; shift
  hit=$(grep -rlaF --exclude-dir=keyrings -e "$secret" "$@" 2>/dev/null | head -1 || true)
  [ -z "$hit" ] || fail "the API key was found in $label: $hit"
}
conf=$(settings_file)
[ -s "$conf" ] || fail "no settings file at $conf"
leaks "the settings file" "$conf"
homes=("$HOME")
for dir in "${XDG_CONFIG_HOME:-}" "${XDG_DATA_HOME:-}" "${XDG_CACHE_HOME:-}" "${XDG_STATE_HOME:-}"; do
  [ -z "$dir" ] || homes+=("$dir")
done
leaks "a file under the test's home (keyring files excluded)" "${homes[@]}"
leaks "the program's temporary folder" "$E2E_TMP/program-tmp"
leaks "the program's output" "$E2E_TMP/run.out" "$E2E_TMP/run.err" "$E2E_TMP/import.out"
leaks "the fake service's output" "$E2E_TMP/fake.out" "$E2E_TMP/fake.err"
leaks "the request bodies the fake service recorded" "$E2E_TMP/received.json"
leaks "a command line of the running program" "$E2E_TMP"/proc/*.cmdline
leaks "the environment of the running program" "$E2E_TMP"/proc/*.environ
note "key $secret only in the keyring ($snapshots looks at /proc/$run_pid)"
echo PASS
