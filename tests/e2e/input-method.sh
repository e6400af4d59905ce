#!/usr/bin/env bash
# A dictation through a real fcitx5 with Quillo's addon into a GTK 3 entry using the fcitx5 GTK
# module: the partial text shows as preedit while the audio plays, the polished text is committed
# in place, and the user's clipboard is never touched (byte for byte, not even restored).
# Then fcitx5 gone: the same dictation is pasted as before. ADDON_PREFIX is where the addon was
# installed (the fcitx5_addon_install fixture).
source "$(dirname "$0")/lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"

XDG_DATA_DIRS="$ADDON_PREFIX/share:/usr/share" env -u FCITX_ADDON_DIRS \
  fcitx5 --disable=all --enable=dbus,dbusfrontend,xcb,keyboard,quillo >"$E2E_TMP/fcitx5.log" 2>&1 &
E2E_PIDS+=($!)
fcitx5_pid=$!
im() {
  timeout 5 busctl --address="$DBUS_SESSION_BUS_ADDRESS" call org.fcitx.Fcitx5 /com/nolt/quillo/InputMethod com.nolt.quillo.InputMethod1 "$@" 2>/dev/null
}
wait_until 15 im Version >/dev/null || { tail -n 30 "$E2E_TMP/fcitx5.log"; fail "the addon does not answer"; }

out=$E2E_TMP/entry
GTK_IM_MODULE=fcitx NO_AT_BRIDGE=1 /usr/bin/python3 "$SUPPORT/gtk-target-window.py" "Quillo IM Target" "$out" &
E2E_PIDS+=($!)
wait_until 10 test -f "$out.preedit" || fail "the GTK window did not appear"
TARGET_WID=$(xdotool search --name '^Quillo IM Target$' | head -1)
focus_target || fail "the GTK window has no focus"
focused() { im Focused | grep -q '^bss true'; }
# A new GTK window sometimes loses its fcitx5 focus until its first key press (the module's
# X11 and D-Bus messages race); a user's first key would bring it back as this Shift does.
wait_until 2 focused || { xdotool key shift; wait_until 5 focused; } || fail "fcitx5 names no focused field"

printf 'Zwischenablage \xe2\x9c\x93 \xe5\x89\xaa\xe8\xb4\xb4\xe6\x9d\xbf\n' >"$E2E_TMP/clip"
xclip -selection clipboard -quiet -i "$E2E_TMP/clip" >/dev/null 2>&1 &
E2E_PIDS+=($!)
wait_until 5 sh -c 'xclip -selection clipboard -o 2>/dev/null | cmp -s - "$1"' _ "$E2E_TMP/clip" || fail "xclip did not take"
owner_before=$(xclip -selection clipboard -o -t TARGETS 2>/dev/null | md5sum)

# Every preedit the entry shows, while the dictation runs.
( while :; do cat "$out.preedit" 2>/dev/null; echo; sleep 0.05; done ) >"$E2E_TMP/preedits" &
E2E_PIDS+=($!)

dictate() { # dictate NAME: one --e2e-file run of short.wav, its output in NAME.out
  timeout 60 "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.5 >"$E2E_TMP/$1.out" 2>"$E2E_TMP/$1.err" \
    || { cat "$E2E_TMP/$1.out" "$E2E_TMP/$1.err"; fail "--e2e-file ($1) failed"; }
}
polished="我们明天下午四点开会，记得带上演示"
dictate im
grep -q '^\[e2e\] paste: route input-method, committed' "$E2E_TMP/im.out" \
  || { cat "$E2E_TMP/im.out"; fail "the text did not go through the input method"; }
wait_until 5 grep -qF "$polished" "$out" || fail "the entry holds '$(cat "$out")'"
[ "$(cat "$out")" = "$polished" ] || fail "the entry holds '$(cat "$out")', not only the polished text"
grep -q '[^[:space:]]' "$E2E_TMP/preedits" || fail "no preedit was shown while the audio played"
[ -z "$(cat "$out.preedit")" ] || fail "a preedit was left behind: '$(cat "$out.preedit")'"
xclip -selection clipboard -o 2>/dev/null | cmp -s - "$E2E_TMP/clip" || fail "the clipboard changed"
[ "$(xclip -selection clipboard -o -t TARGETS 2>/dev/null | md5sum)" = "$owner_before" ] || fail "the clipboard's owner changed"
note "committed through fcitx5: '$(cat "$out")', preedit seen: '$(grep -m1 '[^[:space:]]' "$E2E_TMP/preedits")', clipboard untouched"

# fcitx5 gone: the paste takes over, into the same field.
kill "$fcitx5_pid"
wait_for_exit "$fcitx5_pid" 10 || true
focus_target || fail "the GTK window lost the focus"
dictate paste
grep -q '^\[e2e\] paste: input method: no answer, pasting' "$E2E_TMP/paste.out" \
  || { cat "$E2E_TMP/paste.out"; fail "no fallback line without fcitx5"; }
wait_until 5 sh -c '[ "$(cat "$1")" = "$2$2" ]' _ "$out" "$polished" || fail "after the paste the entry holds '$(cat "$out")'"
note "without fcitx5: pasted"
echo PASS
