#!/usr/bin/env bash
# quillo --doctor in a headless sway whose configuration binds `quillo --start` / `--stop`
# (sway-extra.conf, the README's lines): before a key is stored it finds the bindings and asks
# for the key (status 1); with the key and a Quillo running it asks that Quillo, binds nothing
# itself, and says a dictation can work (status 0). Each run ends within the doctor's bound.
source "$E2E_DIR/lib.sh"

sway_runtime=$(dirname "$WAYLAND_DISPLAY")
in_session() { env XDG_RUNTIME_DIR="$sway_runtime" WAYLAND_DISPLAY=wayland-1 "$@"; }

# doctor NAME: runs quillo --doctor; sets STATUS and OUT (its output).
doctor() {
  local started=$SECONDS
  STATUS=0
  in_session timeout 20 "$QUILLO" --doctor >"$E2E_TMP/$1.out" 2>"$E2E_TMP/$1.err" || STATUS=$?
  OUT=$E2E_TMP/$1.out
  local took=$((SECONDS - started))
  [ "$took" -le 9 ] || { cat "$OUT"; fail "$1: the doctor took $took s"; }
  note "$1: status $STATUS after $took s"
}

doctor no-key
[ "$STATUS" = 1 ] || { cat "$OUT"; fail "no key: status $STATUS, not 1"; }
grep -qF '· 合成器：sway' "$OUT" || { cat "$OUT"; fail "no key: sway not named"; }
# shellcheck disable=SC2016 # $mod as sway's configuration writes it, not a shell variable
grep -qF '$mod+d → quillo --start' "$OUT" || { cat "$OUT"; fail "no key: the start binding was not found"; }
# shellcheck disable=SC2016
grep -qF '$mod+d → quillo --stop（松开时）' "$OUT" || { cat "$OUT"; fail "no key: the release binding was not found"; }
grep -qF '✗ 没有保存 API Key' "$OUT" || { cat "$OUT"; fail "no key: the missing key is not reported"; }
grep -qF 'quillo --import-env' "$OUT" || { cat "$OUT"; fail "no key: no advice to import the key"; }

secret=sk-doctor-$RANDOM$RANDOM
import_key "$secret" 127.0.0.1:9
in_session "$QUILLO" >"$E2E_TMP/quillo.out" 2>&1 &
E2E_PIDS+=($!)
wait_until 15 in_session timeout 5 "$QUILLO" --cancel >/dev/null 2>&1 \
  || { cat "$E2E_TMP/quillo.out"; fail "the running Quillo does not take commands"; }

doctor running
cat "$OUT"
[ "$STATUS" = 0 ] || fail "with the key and Quillo running: status $STATUS, not 0"
grep -q '^  ✓ 正在运行的 Quillo .* 回答了查询$' "$OUT" || fail "the running Quillo was not asked"
grep -qF '✓ wl-copy + wtype 直接粘贴' "$OUT" || fail "the paste route is not wl-copy + wtype"
grep -qF '✓ 已保存，可以读取' "$OUT" || fail "the stored key is not reported"
grep -qF '结论：可以听写。' "$OUT" || fail "no verdict line"
grep -qF "$secret" "$OUT" "$E2E_TMP/running.err" && fail "the key was printed"
echo PASS
