#!/usr/bin/env bash
# A failing cloud during a scripted dictation: each case shows its message in the phase line and
# pastes only what it should (the raw transcript when polishing fails, nothing when recognition does).
source "$(dirname "$0")/lib.sh"
recordings
start_target "Quillo E2E Failures"

# run_case NAME SCENARIO KEY EXPECTED_STATUS PHASE_PATTERN [trust]
run_case() {
  local name=$1 scenario=$2 key=$3 want=$4 pattern=$5 trust=${6:-trusted}
  : >"$TARGET_OUT.before"
  start_fake "$scenario"
  import_key "$key" "$FAKE_HOST"
  [ "$trust" = trusted ] || unset QUILLO_EXTRA_CA_CERTS
  local out=$E2E_TMP/$name.out status=0
  timeout 60 "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.5 >"$out" 2>"$out.err" || status=$?
  [ "$status" = "$want" ] || { cat "$out" "$out.err"; fail "$name: exit status $status, not $want"; }
  grep -qE "$pattern" "$out" || { cat "$out"; fail "$name: no phase line matching $pattern"; }
  note "$name: $(grep '^\[e2e\] phase: \(done\|failed\)' "$out" | tail -1)"
  kill "${E2E_PIDS[-1]}" 2>/dev/null || true
}

run_case wrong-key "$SCENARIOS/polite.json" wrong-key 1 '^\[e2e\] phase: failed\("连接识别服务失败：'
[ -z "$(target_text)" ] || fail "wrong key: '$(target_text)' was pasted"

# The recording is kept, and the panel says it can be retried.
run_case asr-error "$SCENARIOS/asr-error.json" test-key 1 '^\[e2e\] phase: failed\("识别服务错误：Audio format is invalid\.（录音已保存，可在菜单中重试）"\)'
[ -z "$(target_text)" ] || fail "recognition error: '$(target_text)' was pasted"

run_case untrusted "$SCENARIOS/polite.json" test-key 1 '^\[e2e\] phase: failed\("连接识别服务失败：' untrusted
[ -z "$(target_text)" ] || fail "untrusted certificate: '$(target_text)' was pasted"

# A failing chat model must not lose the dictation: the raw transcript is pasted.
run_case chat-500 "$SCENARIOS/chat-500.json" test-key 0 '^\[e2e\] phase: done'
grep -q '^\[e2e\] note: ' "$E2E_TMP/chat-500.out" || { cat "$E2E_TMP/chat-500.out"; fail "chat 500: the fallback was not noted"; }
wait_until 5 grep -qF "我们明天下午四点开会" "$TARGET_OUT" || fail "chat 500: window holds '$(target_text)', not the transcript"
note "chat 500 pasted: $(target_text)"
echo PASS
