#!/usr/bin/env bash
# paste-latency.sh BUILD [RUNS]: the time from a result's delivery to the paste keystroke
# having been posted into a native Wayland window (wl-copy, then wtype), over RUNS scripted
# dictations in a headless sway with a foot window; prints every figure, the median and p90.
# Run as root or as a user; it uses the same launchers as the sway end-to-end test.
set -euo pipefail
build=$(readlink -f "${1:?usage: paste-latency.sh BUILD [RUNS]}")
runs=${2:-10}
root=$(readlink -f "$(dirname "$0")/../..")
export QUILLO=$build/src/app/quillo FAKE_SERVICE=$build/tools/fake-service/quillo-fake-service
export FAKE_DIR=$root/tools/fake-service SUPPORT=$root/tests/support SCRIPTS=$root/scripts
export SCENARIOS=$root/tests/e2e/scenarios E2E_DIR=$root/tests/e2e
export E2E_RECORDINGS=$build/tests/wayland/recordings RUNS=$runs
exec "$root/tests/wayland/launch" bash -c '
source "$E2E_DIR/lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
foot -e sh -c "stty -echo -icanon min 1; cat > /dev/null" >/dev/null 2>&1 &
E2E_PIDS+=($!)
wait_until 10 sh -c "swaymsg -t get_tree | grep -q foot" || fail "foot did not start"
for i in $(seq "$RUNS"); do
  wl-copy "before $i"
  timeout 60 "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.3 >"$E2E_TMP/run.out" 2>/dev/null || true
  line=$(grep "^\[e2e\] paste:" "$E2E_TMP/run.out" || echo "run $i: no paste line")
  echo "$line" >>"$E2E_TMP/lines"
  echo "$line" | sed -n "s/^.*route wayland-tools, paste posted after \([0-9.]*\) ms.*/\1/p"
done >"$E2E_TMP/ms"
cat "$E2E_TMP/lines"
sort -n "$E2E_TMP/ms" | awk "{ v[NR] = \$1 } END {
  if (NR == 0) { print \"no paste measured\"; exit 1 }
  printf \"deliver -> paste posted, %d runs (ms):\", NR; for (i = 1; i <= NR; i++) printf \" %s\", v[i]; print \"\"
  m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  p = v[int(0.9 * NR + 0.999)]
  printf \"median %.1f ms, p90 %.1f ms\n\", m, p }"
'
