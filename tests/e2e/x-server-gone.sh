#!/usr/bin/env bash
# The X server goes away under the running program, once while it waits and once in the middle
# of a hold-to-talk recording: it must end by itself with a non-zero status and one line on
# standard error, not hang and not crash (no signal, no core). Runs its own Xvfb so it can kill it.
source "$(dirname "$0")/lib.sh"
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null

# start_display: a fresh Xvfb with openbox; sets DISPLAY and XVFB_PID.
start_display() {
  local number_file=$E2E_TMP/display
  rm -f "$number_file"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  E2E_PIDS+=($XVFB_PID)
  wait_until 10 test -s "$number_file" || fail "Xvfb did not start"
  export DISPLAY=":$(tr -dc 0-9 <"$number_file")"
  wait_until 10 xdpyinfo >/dev/null 2>&1 || fail "Xvfb does not answer"
  openbox --sm-disable --config-file "$SUPPORT/openbox-rc.xml" >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  wait_until 10 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" \
    || fail "openbox did not start"
}

# run_until_display_gone WHAT [recording|english]
run_until_display_gone() {
  start_display
  local out=$E2E_TMP/quillo-$1.out err=$E2E_TMP/quillo-$1.err
  local lang=zh expected="X 服务器"
  [ "${2:-}" != english ] || { lang=en; expected="X server"; }
  "$QUILLO" --lang "$lang" >"$out" 2>"$err" &
  local pid=$!
  E2E_PIDS+=($pid)
  sleep 2
  kill -0 "$pid" 2>/dev/null || { cat "$err"; fail "$1: the program exited at start-up"; }
  if [ "${2:-}" = recording ]; then
    xdotool keydown 108
    timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
  fi
  kill "$XVFB_PID"
  local status=0
  wait_for_exit "$pid" 10 || status=$?
  [ "$status" != 124 ] || fail "$1: still running 10 s after the X server went away"
  [ "$status" -ne 0 ] || fail "$1: ended with status 0"
  [ "$status" -lt 128 ] || fail "$1: ended by signal $((status - 128)): $(cat "$err")"
  [ "$(grep -c . "$err")" = 1 ] || fail "$1: expected one line on standard error, got: $(cat "$err")"
  grep -q "$expected" "$err" || fail "$1: unexpected message: $(cat "$err")"
  note "$1: status $status, '$(cat "$err")'"
}

run_until_display_gone idle
run_until_display_gone recording recording
run_until_display_gone english english
echo PASS
