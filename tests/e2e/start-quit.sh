#!/usr/bin/env bash
# Starts the program and ends it again at the moments a user or the session ends it: idle, while
# recording, while the text is being polished, right after the paste (the clipboard not yet put
# back), and on its own after a scripted dictation; by SIGTERM (logout), SIGINT (Ctrl+C), SIGHUP
# (the terminal closed) or its own exit. Every run must exit with status 0 and print no sanitizer
# or assertion report: a signal death fails the test. QUILLO_QUIT_ROUNDS repeats every row
# (`make quit-stress`).
source "$(dirname "$0")/lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
start_target "Quillo Quit Target"

# name        how it runs  the moment it is ended at  how it is ended
rows=(
  "idle        normal       ready                     TERM"
  "interrupt   normal       ready                     INT"
  "recording   observe      recording                 TERM"
  "polishing   file         polishing                 HUP"
  "mid-paste   file         done                      TERM"
  "after-paste file         done                      exit"
)

# answers: the running instance takes a command (a cancel while idle changes nothing).
answers() { timeout 5 "$QUILLO" --cancel >/dev/null 2>&1; }
phase_seen() { grep -q "^\[e2e\] phase: $1" "$2"; }

# run_row NAME MODE MOMENT HOW: one start and end; fails on anything but a clean exit.
run_row() {
  local name=$1 mode=$2 moment=$3 how=$4
  local out=$E2E_TMP/$name.out err=$E2E_TMP/$name.err
  # A script's background jobs start with SIGINT ignored, which the program keeps: undo that.
  local run=(env --default-signal=INT "$QUILLO")
  case $mode in
  normal) "${run[@]}" >"$out" 2>"$err" & ;;
  observe) "${run[@]}" --e2e-observe >"$out" 2>"$err" & ;;
  file) "${run[@]}" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.1 >"$out" 2>"$err" & ;;
  esac
  local pid=$!
  E2E_PIDS+=("$pid")
  case $moment in
  ready) wait_until 15 answers ;;
  recording) wait_until 15 answers && timeout 5 "$QUILLO" --start >/dev/null 2>&1 && wait_until 5 phase_seen recording "$out" ;;
  *) wait_until 30 phase_seen "$moment" "$out" ;;
  esac || { cat "$out" "$err"; fail "$name: never reached '$moment'"; }
  [ "$how" = exit ] || kill -s "$how" "$pid"
  local status=0
  wait_for_exit "$pid" 15 || status=$?
  if grep -qE 'ERROR: (Address|Leak|Thread)Sanitizer|runtime error:|Assertion .* failed' "$err"; then
    cat "$err"
    fail "$name: a sanitizer or assertion report (exit status $status)"
  fi
  [ "$status" != 124 ] || { cat "$out" "$err"; fail "$name: still running 15 s after $how"; }
  [ "$status" -le 128 ] || { cat "$out" "$err"; fail "$name: died of signal $((status - 128)) after $how"; }
  [ "$status" = 0 ] || { cat "$out" "$err"; fail "$name: exit status $status after $how"; }
}

rounds=${QUILLO_QUIT_ROUNDS:-1}
for round in $(seq "$rounds"); do
  for row in "${rows[@]}"; do
    # shellcheck disable=SC2086 # the row's words are its fields
    run_row $row
  done
  note "round $round of $rounds: every row ended cleanly"
done
echo PASS
