#!/usr/bin/env bash
# quillo --doctor on an X11 desktop (Xvfb + openbox, PulseAudio, gnome-keyring) before Quillo
# runs: with a key imported it grabs the hot keys itself, finds XTest and the microphone, and
# says a dictation can work (status 0) without printing the key. With the keyring stopped it
# still ends within its bound, saying the store did not answer (status 1).
source "$(dirname "$0")/lib.sh"

secret=sk-doctor-$RANDOM$RANDOM
import_key "$secret" 127.0.0.1:9

# doctor NAME: runs quillo --doctor; sets STATUS and OUT (its output).
doctor() {
  local started=$SECONDS
  STATUS=0
  timeout 20 "$QUILLO" --doctor >"$E2E_TMP/$1.out" 2>"$E2E_TMP/$1.err" || STATUS=$?
  OUT=$E2E_TMP/$1.out
  TOOK=$((SECONDS - started))
  note "$1: status $STATUS after $TOOK s"
}

doctor ready
cat "$OUT"
[ "$STATUS" = 0 ] || fail "status $STATUS, not 0"
grep -qF '✓ X11 全局快捷键' "$OUT" || fail "the X11 hotkeys were not checked"
grep -qF '✓ X11 剪贴板 + XTest 粘贴键' "$OUT" || fail "the X11 paste route is not reported"
grep -qF '✓ 已保存，可以读取' "$OUT" || fail "the stored key is not reported"
grep -qF '结论：可以听写。' "$OUT" || fail "no verdict line"
grep -qF "$secret" "$OUT" "$E2E_TMP/ready.err" && fail "the key was printed"

keyring_pid=$(secrets_owner)
[ -n "$keyring_pid" ] || fail "no Secret Service on the bus"
kill -STOP "$keyring_pid"
trap 'kill -CONT "$keyring_pid" 2>/dev/null || true; e2e_cleanup' EXIT INT TERM
doctor stalled-keyring
kill -CONT "$keyring_pid"
[ "$STATUS" = 1 ] || { cat "$OUT"; fail "stalled keyring: status $STATUS, not 1"; }
[ "$TOOK" -le 9 ] || fail "stalled keyring: the doctor took $TOOK s"
grep -qF '系统钥匙串（Secret Service） 没有响应' "$OUT" || { cat "$OUT"; fail "stalled keyring: not reported"; }
echo PASS
