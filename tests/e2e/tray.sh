#!/usr/bin/env bash
# The tray icon: it docks in the desktop's system tray, a click drops the menu down from it,
# "开始"/"结束" dictate into the window the user was in, "设置…" opens the settings window and
# "退出" ends the program.
source "$(dirname "$0")/lib.sh"
recordings
# The model answers after 4 s, so the menu can be opened while the text is on its way.
start_fake "$SCENARIOS/slow-chat.json"
import_key test-key "$FAKE_HOST"
start_target "Quillo E2E Target"

# openbox has no tray of its own; trayer is a small XEmbed one docked at the top right.
trayer --edge top --align right --widthtype pixel --width 100 --heighttype pixel --height 32 \
  --SetDockType true --transparent false >/dev/null 2>&1 &
E2E_PIDS+=($!)
wait_until 10 xdotool search --name '^panel$' >/dev/null || fail "trayer did not start"

"$QUILLO" >"$E2E_TMP/quillo.out" 2>&1 &
E2E_PIDS+=($!)
quillo_pid=$!

# viewable_quillo_windows: ids of the program's mapped windows (its class is "quillo").
viewable_quillo_windows() {
  local w
  for w in $(xdotool search --classname '^quillo$' 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$w"
  done
}
# The icon is the program's only window inside the tray; the menu is a popup of 340 pixels.
icon_window() { viewable_quillo_windows | while read -r w; do
  [ "$(xdotool getwindowgeometry --shell "$w" | sed -n 's/^WIDTH=//p')" -lt 64 ] 2>/dev/null && echo "$w"; done | head -1; }
menu_window() { viewable_quillo_windows | while read -r w; do
  [ "$(xdotool getwindowgeometry --shell "$w" | sed -n 's/^WIDTH=//p')" = 340 ] && echo "$w"; done | head -1; }
click_at() { xdotool mousemove "$1" "$2" click 1; }
# found FINDER: the finder's window, asked again while a search of the tree comes back empty.
found() {
  local w
  for _ in $(seq 50); do
    w=$("$1")
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  fail "no window from $1"
}
click_icon() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(found icon_window)")"
  click_at $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
}
# click_menu_toggle: the start/stop button at the top right.
click_menu_toggle() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(found menu_window)")"
  click_at $((X + WIDTH - 42)) $((Y + 32))
}
# menu_is open|closed SECONDS [READS]: waits until READS reads in a row (3 unless given) agree (a
# search of the window tree can come back empty while windows appear and disappear).
menu_is() {
  local want=$1 tries streak=0 reads=${3:-3}
  tries=$(($2 * 10))
  while [ "$tries" -gt 0 ]; do
    if { [ "$want" = open ] && [ -n "$(menu_window)" ]; } || { [ "$want" = closed ] && [ -z "$(menu_window)" ]; }; then
      streak=$((streak + 1))
      [ "$streak" -ge "$reads" ] && return 0
    else
      streak=0
    fi
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}
# open_menu WHAT [READS]
open_menu() {
  click_icon
  menu_is open 10 "${2:-3}" || fail "$1: a click on the tray icon showed no menu (windows: $(viewable_quillo_windows | tr '\n' ' '))"
}
# click_menu_footer left|right: the footer's "设置…" (left) or "退出" (right) button.
click_menu_footer() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(found menu_window)")"
  if [ "$1" = left ]; then click_at $((X + 40)) $((Y + HEIGHT - 26)); else click_at $((X + WIDTH - 33)) $((Y + HEIGHT - 26)); fi
}

for _ in $(seq 300); do [ -n "$(icon_window)" ] && break; sleep 0.1; done
[ -n "$(icon_window)" ] || { cat "$E2E_TMP/quillo.out"; fail "no tray icon"; }
note "tray icon $(icon_window) docked"
[ -z "$(xdotool search --name '^Quillo 设置$' 2>/dev/null)" ] || fail "settings window shown although a key is stored"

open_menu "first open"
eval "$(xdotool getwindowgeometry --shell "$(found menu_window)" | sed 's/^/MENU_/')"
[ "$MENU_Y" -ge 30 ] || fail "the menu covers the tray (y=$MENU_Y)"
note "menu ${MENU_WIDTH}x${MENU_HEIGHT} at ${MENU_X},${MENU_Y}"

# A dictation from the menu: the menu closes at once, the text lands in the user's window.
click_menu_toggle
menu_is closed 5 || fail "the menu stayed open after 开始"
[ "$(xdotool getactivewindow)" = "$TARGET_WID" ] || fail "开始 took the focus from the user's window"
sleep 0.4
timeout 20 paplay -d vsink "$RECORDINGS/short.wav"
open_menu "open to stop"
click_menu_toggle
# Opened again while polishing: it holds the keyboard, so it must close for the paste to land
# (seen once is enough: the paste may close it soon after).
open_menu "open while polishing" 1
wait_until 20 grep -qF "我们明天下午四点开会，记得带上演示" "$TARGET_OUT" \
  || { cat "$E2E_TMP/quillo.out"; fail "the window holds '$(target_text)' after 结束"; }
note "dictated from the menu: $(target_text)"
menu_is closed 5 || fail "the menu stayed open over the paste"

open_menu "open for settings"
click_menu_footer left
wait_until 20 xdotool search --name '^Quillo 设置$' >/dev/null || fail "设置… opened no settings window"
settings=$(xdotool search --name '^Quillo 设置$' | head -1)
wait_until 15 sh -c '[ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]' _ "$settings" || fail "the settings window is not in front"
menu_is closed 5 || fail "the menu stayed open after 设置…"

open_menu "open to quit"
click_menu_footer right
status=0
wait_for_exit "$quillo_pid" 20 || status=$?
[ "$status" = 0 ] || { cat "$E2E_TMP/quillo.out"; fail "退出 ended the program with status $status"; }
echo PASS
