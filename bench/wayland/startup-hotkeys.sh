#!/usr/bin/env bash
# startup-hotkeys.sh BUILD [RUNS]: how long after launch the hotkeys are bound in a Wayland
# session (windows and the X11 hotkeys on a virtual X display, as under XWayland), three ways:
#   no portal       the session bus has no desktop portal: X11 hotkeys only
#   portal          the fake portal answers: its global shortcuts take over once bound
#   stuck portal    a portal that never answers: start-up must not wait for it
# Each figure is wall time from launch to the observation line, RUNS runs each; the median is
# printed. Lines: "[e2e] hotkey: eventTap" (X11 hotkeys installed), "[e2e] portal: shortcuts
# bound" (the portal's BindShortcuts answered).
set -euo pipefail
build=$(readlink -f "${1:?usage: startup-hotkeys.sh BUILD [RUNS]}")
runs=${2:-5}
root=$(readlink -f "$(dirname "$0")/../..")
export QUILLO=$build/src/app/quillo FAKE_PORTAL=$build/tools/fake-portal/quillo-fake-portal RUNS=$runs
exec "$root/tests/support/with-xvfb" "$root/tests/support/with-keyring" bash -c '
set -euo pipefail
tmp=$(mktemp -d)
pids=()
trap "for p in \${pids[@]+\"\${pids[@]}\"}; do kill \$p 2>/dev/null || true; done; rm -rf $tmp" EXIT
# ms_until PATTERN: launches Quillo, prints the ms until a line matches PATTERN (or "-" after 15 s).
ms_until() {
  local out=$tmp/out start now
  : >"$out"
  start=$(date +%s%N)
  WAYLAND_DISPLAY=wayland-quillo-bench "$QUILLO" --e2e-observe >"$out" 2>&1 &
  local pid=$!
  local result=-
  for _ in $(seq 1500); do
    if grep -q "$1" "$out"; then now=$(date +%s%N); result=$(( (now - start) / 1000000 )); break; fi
    sleep 0.01
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$result"
}
median() { sort -n | awk "{ v[NR] = \$1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }"; }
measure() {
  local label=$1 pattern=$2 all=() i
  for i in $(seq "$RUNS"); do all+=("$(ms_until "$pattern")"); done
  printf "%-40s runs (ms): %s  median %s ms\n" "$label" "${all[*]}" "$(printf "%s\n" "${all[@]}" | grep -v "^-$" | median)"
}
start_portal() {
  "$FAKE_PORTAL" "$@" >"$tmp/portal.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do grep -q ready "$tmp/portal.out" && return 0; sleep 0.05; done
  echo "fake portal did not start"; exit 1
}
stop_portal() { kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null || true; unset "pids[-1]"; }

measure "no portal: X11 hotkeys installed" "^\[e2e\] hotkey: eventTap"
start_portal --unresponsive
measure "stuck portal: X11 hotkeys installed" "^\[e2e\] hotkey: eventTap"
stop_portal
start_portal
measure "portal: X11 hotkeys installed" "^\[e2e\] hotkey: eventTap"
measure "portal: global shortcuts bound" "^\[e2e\] portal: shortcuts bound"
'
