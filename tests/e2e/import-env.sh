#!/usr/bin/env bash
# --import-env puts the key into the Secret Service and only the host into the settings file;
# --selftest without a stored key stops after the offline checks with a failed key check.
source "$(dirname "$0")/lib.sh"

# Without a key first: the run must end early, with exit status 1.
recordings
status=0
timeout 60 "$QUILLO" --selftest "$RECORDINGS" >"$E2E_TMP/nokey.out" 2>&1 || status=$?
[ "$status" = 1 ] || { cat "$E2E_TMP/nokey.out"; fail "self-test without a key exited with $status, not 1"; }
tail -n 2 "$E2E_TMP/nokey.out" | head -1 | grep -qx '  ❌ API Key 已配置' \
  || { cat "$E2E_TMP/nokey.out"; fail "no failed key check before the summary"; }
tail -n 1 "$E2E_TMP/nokey.out" | grep -Eq '^== 结果：通过 [0-9]+，失败 1 ==$' \
  || { cat "$E2E_TMP/nokey.out"; fail "summary line missing"; }
grep -q '^\[2\]' "$E2E_TMP/nokey.out" && fail "live checks ran without a key"
note "self-test without a key: $(tail -n 1 "$E2E_TMP/nokey.out")"

secret=sk-e2e-$RANDOM$RANDOM
import_key "$secret" "127.0.0.1:4443"
found=$(timeout 10 secret-tool lookup server com.nolt.quillo user dashscope-api-key || true)
[ "$found" = "$secret" ] || fail "the key is not in the Secret Service (found '$found')"
conf=$(settings_file)
[ -s "$conf" ] || fail "no settings file at $conf"
grep -q '127.0.0.1:4443' "$conf" || { cat "$conf"; fail "the host is not in the settings"; }
if grep -rqF "$secret" "${XDG_CONFIG_HOME:-$HOME/.config}" "$HOME" --exclude-dir=keyrings 2>/dev/null; then
  fail "the key was written to a file outside the keyring"
fi
note "key in the keyring, host in $conf"

# A file that cannot be read is reported, and the run still exits with 0.
status=0
timeout 20 "$QUILLO" --import-env "$E2E_TMP/missing.env" >"$E2E_TMP/missing.out" 2>&1 || status=$?
[ "$status" = 0 ] || fail "an unreadable environment file gave exit status $status"
found=$(timeout 10 secret-tool lookup server com.nolt.quillo user dashscope-api-key || true)
[ "$found" = "$secret" ] || fail "an unreadable environment file changed the stored key"
echo PASS
