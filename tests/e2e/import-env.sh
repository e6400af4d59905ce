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
# import_silent NAME [ENV...]: --import-env of a new key while the store does not answer. It must
# end within a few seconds with status 1 and one line on standard error naming the store, and
# print neither the key nor an import.
import_silent() {
  local name=$1 status=0 started=$SECONDS; shift
  printf 'QWEN_API_KEY=sk-unstored-%s\n' "$name" >"$E2E_TMP/$name.env"
  env "$@" timeout 30 "$QUILLO" --import-env "$E2E_TMP/$name.env" >"$E2E_TMP/$name.out" 2>"$E2E_TMP/$name.err" \
    || status=$?
  local took=$((SECONDS - started))
  [ "$status" = 1 ] || { cat "$E2E_TMP/$name.out" "$E2E_TMP/$name.err"; fail "$name: exit status $status, not 1"; }
  [ "$took" -le 12 ] || fail "$name: took $took s"
  [ "$(grep -c . "$E2E_TMP/$name.err")" = 1 ] || { cat "$E2E_TMP/$name.err"; fail "$name: not one line on stderr"; }
  grep -q "已导入\|sk-unstored" "$E2E_TMP/$name.out" "$E2E_TMP/$name.err" \
    && { cat "$E2E_TMP/$name.out" "$E2E_TMP/$name.err"; fail "$name: the key or an import was printed"; }
  note "$name: status 1 after $took s: $(cat "$E2E_TMP/$name.err")"
}

# The keyring daemon stopped: the Secret Service never answers.
keyring_pid=$(secrets_owner)
[ -n "$keyring_pid" ] || fail "no Secret Service on the bus"
kill -STOP "$keyring_pid"
trap 'kill -CONT "$keyring_pid" 2>/dev/null || true; e2e_cleanup' EXIT INT TERM
import_silent stalled-keyring
grep -qF '无法保存 API Key：系统钥匙串（Secret Service） 没有响应。' "$E2E_TMP/stalled-keyring.err" \
  || fail "stalled keyring: the line does not say that the Secret Service did not answer"
kill -CONT "$keyring_pid"
found=$(timeout 10 secret-tool lookup server com.nolt.quillo user dashscope-api-key || true)
[ "$found" = "$secret" ] || fail "the stored key changed while the keyring did not answer (found '$found')"

# KDE: QtKeychain goes to KWallet, whose daemon without a desktop waits on a window nobody sees.
QT_QPA_PLATFORM=offscreen kwalletd5 >"$E2E_TMP/kwalletd.log" 2>&1 &
E2E_PIDS+=($!)
# Asked whether the name has an owner, not called: a call would have the bus start another
# kwalletd5, in the bus's environment, without a display.
wait_until 10 sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.NameHasOwner string:org.kde.kwalletd5 | grep -q true' || fail "kwalletd5 did not start"
import_silent kwallet XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
grep -qF '无法保存 API Key：KWallet 没有响应。请确认 KWallet' "$E2E_TMP/kwallet.err" \
  || fail "KWallet: the line does not name KWallet"
echo PASS
