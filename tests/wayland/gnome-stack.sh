#!/usr/bin/env bash
# The GNOME 43 stack as the client code meets it, checked with portal sessions of our own (no
# Quillo here): what the portal offers, the consent dialog (allowed, denied, asked again at every
# start), keys through the RemoteDesktop portal into a native GTK window after wl-copy, and
# seeing who holds a session. How keys sent without waiting arrive, whether a key right after
# wl-copy lands, and how long wl-copy and wl-paste take the focus are printed, not judged.
source "$E2E_DIR/lib.sh"
source "$(dirname "$0")/gnome-lib.sh"

facts=$("$SUPPORT/gnome-portal" facts) || fail "the portal did not answer"
note "portal: $(echo $facts)"
for fact in remote_desktop_version=1 globalshortcuts=no clipboard=no host_registry=no; do
  grep -qx "$fact" <<<"$facts" || fail "the stack is not what the client code was written for: no $fact"
done
start_gtk_target

# hold DECISION: a RemoteDesktop session of ours (persist mode 2, as a client asks) while the
# dialog gets DECISION; $started is the answer, $hold_pid the holder, still connected.
hold() {
  "$SUPPORT/answer-remote-desktop-dialog" "$1" 30 >"$E2E_TMP/answer.log" 2>&1 &
  local answer=$!
  E2E_PIDS+=("$answer")
  coproc HOLD { exec "$SUPPORT/gnome-portal" hold --persist; }
  hold_pid=$HOLD_PID
  E2E_PIDS+=("$hold_pid")
  read -r -t 60 -u "${HOLD[0]}" started || { gnome_logs; fail "no answer to Start"; }
  wait "$answer" || { cat "$E2E_TMP/answer.log"; fail "the dialog did not take '$1'"; }
}
# ask COMMAND...: one command to the holder; fails unless it answers ok. $reply is the answer.
ask() {
  echo "$*" >&"${HOLD[1]}"
  read -r -t 30 -u "${HOLD[0]}" reply || fail "no reply to '$1'"
  [[ $reply == ok* ]] || fail "$1: $reply"
}
# gaps FROM: each time the target lost and got back the focus after line FROM of its focus
# log, in milliseconds.
gaps() {
  tail -n +"$(($1 + 1))" "$TARGET_OUT.focus" \
    | awk '$1 == "out" { t = $2 } $1 == "in" && t { printf "%d ", ($2 - t) * 1000; t = 0 }'
}
focus_lines() { wc -l <"$TARGET_OUT.focus"; }
# focus_back FROM: the target lost the focus after line FROM of its focus log, and has it again.
focus_back() { [ "$(focus_lines)" -ge $(($1 + 2)) ] && target_focused; }

hold allow
[ "$started" = "started devices=1 token=" ] || fail "allowed with persist mode 2: '$started'"
sessions=$(portal_sessions "$hold_pid")
[ "$(wc -l <<<"$sessions")" = 1 ] && [ -n "$sessions" ] || fail "our session is not seen: '$sessions'"
wait_until 3 target_focused || fail "the target did not get the focus back from the dialog"

# wl-copy takes the focus to set the clipboard and may exit before the target has it back:
# the paste waits for the focus (a key sent at once can be lost, measured below).
text="剪贴板 clipboard $RANDOM"
from=$(focus_lines)
wl-copy "$text"
wait_until 3 focus_back "$from" || fail "the target did not get the focus back from wl-copy"
ask key 29+47
wait_until 3 grep -qF "$text" "$TARGET_OUT" || fail "Ctrl+V through the portal pasted '$(target_text)'"

abc="30 48 46 32 18 33 34 35 23 36 37 38 50 49 24 25 16 19 31 20 22 47 17 45 21 44 57"
# Each key waiting for its reply: in order, none lost.
before=$(target_text)
for _ in 1 2 3; do ask key $abc; done
letters="abcdefghijklmnopqrstuvwxyz "
wait_until 3 sh -c '[ "$(cat "$1")" = "$2" ]' _ "$TARGET_OUT" "$before$letters$letters$letters" \
  || fail "keys sent one by one arrived as '$(target_text)'"
# All sent before any reply: the portal hands each call to a thread of its own.
before=$(target_text)
for _ in $(seq 10); do ask burst $abc; done
sleep 1
intact=$(target_text | tail -c +$(($(printf %s "$before" | wc -c) + 1)) | tr ' ' '\n' | grep -cx 'abcdefghijklmnopqrstuvwxyz' || true)
note "keys sent without waiting: $intact of 10 bursts of 26 letters arrived whole and in order"
# A press that came after its release leaves the key down: release them all in order.
ask key $abc

# A paste the moment wl-copy has exited: lost when the focus is not back yet.
from=$(focus_lines)
late=()
lost=0
for i in $(seq 10); do
  ask after 29+47 wl-copy "[$i]"
  sleep 0.4
  mark=
  grep -qF "[$i]" "$TARGET_OUT" || { mark=" (lost)"; lost=$((lost + 1)); }
  late+=("$(tail -n 1 "$TARGET_OUT.focus" | awk -v exited="$(cut -d' ' -f2 <<<"$reply")" '{ printf "%+d", ($3 - exited) * 1000 }')$mark")
done
note "Ctrl+V sent as wl-copy exits: $lost of 10 lost; the target had the focus back after the exit (ms): ${late[*]}"
note "wl-copy: focus away (ms): $(gaps "$from")"
from=$(focus_lines)
for _ in $(seq 5); do
  wl-paste -n >/dev/null
  sleep 0.3
done
note "wl-paste: focus away (ms): $(gaps "$from")"

ask close
wait_until 3 sh -c '[ -z "$("$1" sessions "$2")" ]' _ "$SUPPORT/gnome-portal" "$hold_pid" \
  || fail "the closed session is still there"
kill -0 "$hold_pid" || fail "the holder ended with its session: its closing says nothing"
holder_in=${HOLD[1]}
exec {holder_in}>&-

# Asked again although the grant before came with persist mode 2; denied, the portal closes it.
wait_for_exit "$hold_pid" 5 >/dev/null || fail "the first holder did not end"
hold deny
[ "$started" = "refused 1" ] || fail "denied: '$started'"
[ -z "$(portal_sessions "$hold_pid")" ] || fail "a denied session stands: $(portal_sessions "$hold_pid")"
kill -0 "$hold_pid" || fail "the holder ended with its session: its closing says nothing"
echo PASS
