#!/usr/bin/env bash
# A scripted dictation of short.wav against the fake service: the polished text lands in the
# focused window, the clipboard the user had comes back, and the history survives a restart.
source "$(dirname "$0")/lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
start_target "Quillo E2E Target"

before="clipboard before dictation $RANDOM"
printf '%s' "$before" | xclip -selection clipboard -i
wait_until 5 sh -c '[ "$(xclip -selection clipboard -o 2>/dev/null)" = "$1" ]' _ "$before" || fail "xclip did not take"

# The program puts the user's clipboard back after the paste; on X11 the clipboard lives in
# its owner, so it is read while the program still runs (it exits 1.5 s after the result).
"$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.5 >"$E2E_TMP/run.out" 2>"$E2E_TMP/run.err" &
E2E_PIDS+=($!)
run_pid=$!
wait_until 40 grep -q '^\[e2e\] phase: \(done\|failed\)' "$E2E_TMP/run.out" || { cat "$E2E_TMP/run.out" "$E2E_TMP/run.err"; fail "no result"; }
wait_until 1.3 sh -c '[ "$(xclip -selection clipboard -o 2>/dev/null)" = "$1" ]' _ "$before" \
  || fail "clipboard is '$(xclip -selection clipboard -o 2>/dev/null)', not the user's '$before'"
status=0
wait_for_exit "$run_pid" 10 || status=$?
cat "$E2E_TMP/run.out"
[ "$status" = 0 ] || { cat "$E2E_TMP/run.err"; fail "--e2e-file exited with $status"; }
grep -q '^\[e2e\] phase: recording' "$E2E_TMP/run.out" || fail "no recording phase line"
grep -q '^\[e2e\] phase: done' "$E2E_TMP/run.out" || fail "no done phase line"

polished="我们明天下午四点开会，记得带上演示"
wait_until 5 grep -qF "$polished" "$TARGET_OUT" || fail "window holds '$(target_text)', not the polished text"
grep -qF "嗯" "$TARGET_OUT" && fail "the raw transcript was pasted"
note "window: $(target_text); clipboard restored"

conf=$(settings_file)
has_history_text "$polished" || { cat "$conf"; fail "no history entry in $conf"; }

# Restart: a second run (with an unreadable file, so it fails fast) loads and keeps the history.
status=0
timeout 30 "$QUILLO" --e2e-file "$E2E_TMP/none.wav" --e2e-delay 0.2 >"$E2E_TMP/second.out" 2>&1 || status=$?
[ "$status" = 1 ] || { cat "$E2E_TMP/second.out"; fail "a missing audio file gave exit status $status"; }
grep -qF 'failed("无法读取测试音频或缺少 API Key")' "$E2E_TMP/second.out" || { cat "$E2E_TMP/second.out"; fail "missing-file message"; }
has_history_text "$polished" || { cat "$conf"; fail "history entry lost after a restart"; }
note "history entry still in $conf after a restart"

# With the English interface the [e2e] lines a script reads stay exactly as they are.
status=0
LANGUAGE=en timeout 30 "$QUILLO" --e2e-file "$E2E_TMP/none.wav" --e2e-delay 0.2 >"$E2E_TMP/english.out" 2>&1 || status=$?
[ "$status" = 1 ] || { cat "$E2E_TMP/english.out"; fail "English run: exit status $status"; }
diff <(grep '^\[e2e\] phase:' "$E2E_TMP/second.out") <(grep '^\[e2e\] phase:' "$E2E_TMP/english.out") \
  || fail "the [e2e] phase lines differ with LANGUAGE=en"
note "[e2e] lines unchanged with LANGUAGE=en"
echo PASS
