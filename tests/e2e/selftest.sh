#!/usr/bin/env bash
# The built-in self-test against the fake service passes every check, with the generated
# recordings; the summary line is printed for the log.
source "$(dirname "$0")/lib.sh"
recordings
start_fake "$SCENARIOS/../selftest-scenario.json"
import_key test-key "$FAKE_HOST"
status=0
timeout 240 "$QUILLO" --selftest "$RECORDINGS" >"$E2E_TMP/selftest.out" 2>"$E2E_TMP/selftest.err" || status=$?
cat "$E2E_TMP/selftest.out"
[ "$status" = 0 ] || { cat "$E2E_TMP/selftest.err"; grep '❌' "$E2E_TMP/selftest.out" >&2 || true; fail "self-test exited with $status"; }
tail -n 1 "$E2E_TMP/selftest.out" | grep -Eq '^== 结果：通过 [0-9]+，失败 0 ==$' || fail "summary line missing"
grep -q '❌' "$E2E_TMP/selftest.out" && fail "a failed check despite exit status 0"
echo PASS
