#!/usr/bin/env bash
# A new user's first start (no key stored): the settings window opens, in front and focused;
# a second start only brings it forward instead of running twice.
source "$(dirname "$0")/lib.sh"
"$QUILLO" >"$E2E_TMP/quillo.out" 2>&1 &
E2E_PIDS+=($!)
# A sanitizer build on a loaded machine starts slowly: the bounds are generous, what is checked is not.
wait_until 30 xdotool search --name '^Quillo 设置$' >/dev/null || { cat "$E2E_TMP/quillo.out"; fail "no settings window"; }
wid=$(xdotool search --name '^Quillo 设置$' | head -1)
wait_until 20 sh -c 'xwininfo -id "$1" | grep -q "Map State: IsViewable"' _ "$wid" || fail "settings window is not viewable"
wait_until 15 sh -c '[ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]' _ "$wid" \
  || { cat "$E2E_TMP/quillo.out"; fail "settings window $wid is not in front ($(xprop -root _NET_ACTIVE_WINDOW 2>&1))"; }
note "settings window $wid in front: $(xwininfo -id "$wid" | sed -n 's/.*\(Width\|Height\): *//p' | paste -sd x)"

status=0
timeout 15 "$QUILLO" >"$E2E_TMP/second.out" 2>&1 || status=$?
[ "$status" = 0 ] || { cat "$E2E_TMP/second.out"; fail "second start exited with $status"; }
[ "$(xdotool search --name '^Quillo 设置$' | wc -l)" = 1 ] || fail "a second settings window appeared"
echo PASS
