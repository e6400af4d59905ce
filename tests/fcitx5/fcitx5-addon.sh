#!/usr/bin/env bash
# The fcitx5 addon inside a real fcitx5, driven over D-Bus the way Quillo drives it, writing into
# a real GTK 3 entry. Under with-xvfb: through the fcitx5 GTK module, with a German keyboard
# layout. Under with-sway (WAYLAND_DISPLAY set): a native Wayland window through text-input-v3,
# sway and fcitx5 as the input method (input-method-v2). ADDON_PREFIX is where the addon was
# installed (`cmake --install BUILD --component fcitx5 --prefix ADDON_PREFIX`); fcitx5 finds it
# there as it finds an install into /usr/local, through the XDG data folders.
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$p" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

fail() { echo "FAIL: $*" >&2; [ -f "$work/fcitx5.log" ] && tail -n 30 "$work/fcitx5.log" >&2; exit 1; }
now() { date +%s%N; }
ms_since() { echo $((($(now) - $1) / 1000000)); }
# wait_for SECONDS CMD...: CMD until it succeeds, at most SECONDS.
wait_for() {
  local deadline=$(($(date +%s) + $1))
  shift
  until "$@" 2>/dev/null; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
file_is() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }

# A private session bus that other users may connect to: the addon has to turn them away itself.
mkdir -p "$work/no-services"
cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$work/no-services</servicedir>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/address" 2>"$work/bus.log" &
pids+=($!)
wait_for 5 test -s "$work/address" || fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/address")

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  frontends=wayland,waylandim
  window_env=(GDK_BACKEND=wayland GTK_IM_MODULE=wayland)
  clip_set() { wl-copy --foreground <"$1" >/dev/null 2>&1 & }
  clip_get() { timeout 5 wl-paste --no-newline; }
else
  frontends=dbusfrontend,xcb
  window_env=(GTK_IM_MODULE=fcitx)
  clip_set() { xclip -selection clipboard -quiet -i "$1" >/dev/null 2>&1 & }
  clip_get() { timeout 5 xclip -selection clipboard -o; }
  setxkbmap de
fi

started=$(now)
XDG_DATA_DIRS="$ADDON_PREFIX/share:/usr/share" env -u FCITX_ADDON_DIRS fcitx5 --disable=all --enable=dbus,$frontends,keyboard,quillo \
  >"$work/fcitx5.log" 2>&1 &
pids+=($!)

im() {
  local method=$1
  shift
  timeout 5 busctl --address="$DBUS_SESSION_BUS_ADDRESS" call org.fcitx.Fcitx5 /com/nolt/quillo/InputMethod \
    com.nolt.quillo.InputMethod1 "$method" "$@"
}
expect() { # expect ANSWER METHOD ARGS...
  local want=$1 got
  shift
  got=$(im "$@") || fail "$1 failed: $got"
  [ "$got" = "$want" ] || fail "$1 ${*:2}: '$got', expected '$want'"
}
wait_for 15 im Version >/dev/null || fail "the addon does not answer (see the fcitx5 log)"
echo "addon answering $(ms_since "$started") ms after fcitx5 started"
expect "u 1" Version

# focused_context: the context Focused names, or nothing when none has the focus.
focused_context() { im Focused | sed -n 's/^bss true "\(.*\)" "\([0-9a-f]\{32\}\)"$/\2/p'; }
# settle_focus CHECK...: CHECK until it holds. A new GTK window on X11 loses its context's focus
# now and then: its module files the context under the display with an X11 message that takes
# another path than its FocusIn over D-Bus, and fcitx5 focuses a context out when filing it
# (InputContext::setFocusGroup). The window's next key press focuses it again, as a user's would.
settle_focus() {
  [ -z "${WAYLAND_DISPLAY:-}" ] || { wait_for 10 "$@"; return; }
  wait_for 2 "$@" && return
  echo "fcitx5 lost the new window's focus; a Shift press in it restores it"
  xdotool key shift
  wait_for 5 "$@"
}
sway_focuses() { # sway_focuses TITLE: the focused window is TITLE
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    yield n
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        yield from walk(c)
sys.exit(0 if any(n.get("focused") and n.get("name") == sys.argv[1] for n in walk(json.load(sys.stdin))) else 1)' "$1"
}
has_focus_other_than() { local c; c=$(focused_context) && [ -n "$c" ] && [ "$c" != "$1" ]; }

# The clipboard before: it must come out of the test byte for byte.
printf 'Zwischenablage \xe2\x9c\x93 \xe5\x89\xaa\xe8\xb4\xb4\xe6\x9d\xbf\n\ttab\n' >"$work/clip"
clip_set "$work/clip"
pids+=($!)

out=$work/entry
mapped=$(now)
env "${window_env[@]}" NO_AT_BRIDGE=1 /usr/bin/python3 "$here/../support/gtk-target-window.py" "Quillo IM target" "$out" &
pids+=($!)
wait_for 10 test -f "$out.preedit" || fail "the GTK window did not appear"
settle_focus has_focus_other_than none || fail "no input context got the focus"
echo "GTK entry focused in fcitx5 $(ms_since "$mapped") ms after the window started"
focused=$(im Focused)
echo "Focused: $focused"
ctx=$(focused_context)

final='我们明天下午四点开会 🎉 OK'
expect "b true" SetPreedit ss "$ctx" "我们明天"
wait_for 5 file_is "$out.preedit" "我们明天" || fail "preedit not shown: '$(cat "$out.preedit")'"
file_is "$out" "" || fail "the preedit was written into the field: '$(cat "$out")'"

expect "b true" ClearPreedit s "$ctx"
wait_for 5 file_is "$out.preedit" "" || fail "preedit not cleared: '$(cat "$out.preedit")'"
file_is "$out" "" || fail "clearing changed the field: '$(cat "$out")'"

expect "b true" SetPreedit ss "$ctx" "我们明天下午"
wait_for 5 file_is "$out.preedit" "我们明天下午" || fail "second preedit not shown"
committed=$(now)
expect "b true" Commit ss "$ctx" "$final"
wait_for 5 file_is "$out" "$final" || fail "commit did not arrive intact: '$(cat "$out")'"
echo "commit in the field $(ms_since "$committed") ms after the call"
file_is "$out.preedit" "" || fail "the preedit stayed after the commit: '$(cat "$out.preedit")'"
# A cancelled dictation in a field that has text: the text stays as it was.
expect "b true" SetPreedit ss "$ctx" "取消 cancel"
wait_for 5 file_is "$out.preedit" "取消 cancel" || fail "preedit over text not shown"
expect "b true" ClearPreedit s "$ctx"
wait_for 5 file_is "$out.preedit" "" || fail "preedit over text not cleared"
file_is "$out" "$final" || fail "cancelling changed the field: '$(cat "$out")'"

# Unknown contexts are no error, only a false.
for bad in 00000000000000000000000000000000 not-a-context ""; do
  expect "b false" Commit ss "$bad" "x"
  expect "b false" SetPreedit ss "$bad" "x"
  expect "b false" ClearPreedit s "$bad"
done

# A partial preedit shown when the user switches windows must not be committed by fcitx5
# (it commits a GTK client's preedit on focus out), and the old field takes nothing more.
expect "b true" SetPreedit ss "$ctx" "部分 partial"
wait_for 5 file_is "$out.preedit" "部分 partial" || fail "partial preedit not shown"
switched=$(now)
env "${window_env[@]}" NO_AT_BRIDGE=1 /usr/bin/python3 "$here/../support/gtk-target-window.py" "Another window" "$work/other" &
pids+=($!)
wait_for 10 test -f "$work/other.preedit" || fail "the second GTK window did not appear"
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # input-method-v2 gives fcitx5 one context per seat, not per field: it keeps its id when the
  # focus moves to another window.
  wait_for 10 sway_focuses "Another window" || fail "sway did not focus the second window"
  settle_focus has_focus_other_than none || fail "the second window's field did not get the focus"
  [ "$(focused_context)" = "$ctx" ] || fail "the seat's context changed with the window"
  echo "second window focused $(ms_since "$switched") ms after it started; same context id"
else
  settle_focus has_focus_other_than "$ctx" || fail "the focus did not move to the second window"
  echo "focus moved to the second window's context $(ms_since "$switched") ms after it started"
fi
sleep 0.3
file_is "$out" "$final" || fail "the partial preedit landed in the field on focus out: '$(cat "$out")'"
file_is "$out.preedit" "" || fail "the preedit stayed in the unfocused field"
file_is "$work/other" "" || fail "the partial preedit landed in the second field: '$(cat "$work/other")'"
if [ -z "${WAYLAND_DISPLAY:-}" ]; then
  expect "b false" Commit ss "$ctx" "too late"
  expect "b false" SetPreedit ss "$ctx" "too late"
  expect "b true" ClearPreedit s "$ctx"
fi
file_is "$out" "$final" || fail "a refused call changed the field: '$(cat "$out")'"
file_is "$work/other" "" || fail "the second field got text: '$(cat "$work/other")'"

# The user's own composition (a dead key of the German layout, composed by fcitx5's keyboard
# engine as client preedit) is never overwritten nor committed over; once finished, ours goes in.
ctx2=$(focused_context)
if [ -z "${WAYLAND_DISPLAY:-}" ]; then
xdotool key dead_circumflex
wait_for 5 test -s "$work/other.preedit" || fail "the dead key started no composition"
users=$(cat "$work/other.preedit")
expect "b false" SetPreedit ss "$ctx2" "über"
expect "b false" Commit ss "$ctx2" "über"
sleep 0.2
file_is "$work/other.preedit" "$users" || fail "the user's composition was replaced: '$(cat "$work/other.preedit")'"
file_is "$work/other" "" || fail "text went in during the user's composition: '$(cat "$work/other")'"
xdotool key e
wait_for 5 file_is "$work/other" "ê" || fail "the user's composition did not finish: '$(cat "$work/other")'"
expect "b true" Commit ss "$ctx2" " über"
wait_for 5 file_is "$work/other" "ê über" || fail "commit after the composition: '$(cat "$work/other")'"
fi

# Back to the first window, as a user returns to where the dictation should go.
returned=$(now)
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  swaymsg '[title="^Quillo IM target$"] focus' >/dev/null
  wait_for 5 sway_focuses "Quillo IM target" || fail "sway did not focus the first window again"
else
  timeout 5 xdotool search --name '^Quillo IM target$' windowactivate || fail "could not activate the first window"
fi
wait_for 5 test "$(focused_context)" = "$ctx" || fail "the first window's context did not get the focus back"
echo "focus back in the first window's context $(ms_since "$returned") ms after switching"
expect "b true" Commit ss "$ctx" "!"
wait_for 5 file_is "$out" "$final!" || fail "commit after switching back: '$(cat "$out")'"

# Another user on the same bus is turned away (only root can be another user here).
if [ "$(id -u)" = 0 ]; then
refused=$(timeout 5 runuser -u nobody -- busctl --address="$DBUS_SESSION_BUS_ADDRESS" call org.fcitx.Fcitx5 \
  /com/nolt/quillo/InputMethod com.nolt.quillo.InputMethod1 Version 2>&1) && fail "another uid was answered: $refused"
echo "another uid: $refused"
grep -q "only the user running fcitx5" <<<"$refused" || fail "another uid got '$refused'"
fi

clip_get >"$work/clip.after"
cmp "$work/clip" "$work/clip.after" || fail "the clipboard changed"
if [ -z "${WAYLAND_DISPLAY:-}" ]; then
  setxkbmap -query | grep -q '^layout: *de$' || fail "the keyboard layout changed: $(setxkbmap -query)"
fi
echo "PASS"
