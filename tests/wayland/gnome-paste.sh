#!/usr/bin/env bash
# Scripted dictations into a native GTK window on GNOME 43 (Wayland only, the real portals),
# the RemoteDesktop portal's consent dialog answered by the test. Allowed: the polished text
# lands in the window, the run says done, and the clipboard the user had comes back. Denied:
# nothing lands, and the text waits on the clipboard (a "copied" claim with the user's old
# clipboard still there loses the dictation). Either way no portal session of the program
# stands once the dictation is over, and the clipboard outlives the program.
source "$E2E_DIR/lib.sh"
source "$(dirname "$0")/gnome-lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
start_gtk_target

# GNOME 43 has no shortcuts portal: the doctor names the command a custom shortcut runs.
doctor=$("$QUILLO" --doctor 2>&1 || true)
grep -q 'quillo --\(toggle\|start\)' <<<"$doctor" || { echo "$doctor"; fail "the hotkey advice names no quillo command"; }

polished="我们明天下午四点开会，记得带上演示"
copied_only="已复制到剪贴板，请按 Ctrl+V 粘贴"

# dictate allow|deny: one dictation while the test gives the consent dialog that answer. What
# goes wrong is gathered, so one run tells every fault at once.
dictate() {
  local decision=$1 out=$E2E_TMP/$1.out err=$E2E_TMP/$1.err before="the user's own clipboard ($1) $RANDOM"
  problem() { problems+=("$decision: $*"); }
  wl-copy "$before"
  wait_until 3 clipboard_is "$before" || fail "$decision: wl-copy did not take"
  wait_until 3 target_focused || fail "$decision: the target does not have the focus"
  local pasted_before
  pasted_before=$(grep -o "$polished" "$TARGET_OUT" | wc -l || true)
  "$SUPPORT/answer-remote-desktop-dialog" "$decision" 40 >"$E2E_TMP/answer-$decision.log" 2>&1 &
  local answer=$!
  E2E_PIDS+=("$answer")
  "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.3 >"$out" 2>"$err" &
  local run=$!
  E2E_PIDS+=("$run")
  local watched=$E2E_TMP/$decision.sessions
  "$SUPPORT/gnome-portal" watch "$run" >"$watched" &
  local watcher=$!
  E2E_PIDS+=("$watcher")
  wait_until 60 grep -q '^\[e2e\] phase: \(done\|failed\)' "$out" || { cat "$out" "$err"; fail "$decision: no result"; }
  local result
  result=$(date +%s.%N)
  # The program's own windows must leave the focus where the user dictates.
  target_focused || problem "when the result came the target did not have the focus"
  cat "$out"

  local now
  if [ "$decision" = allow ]; then
    wait_until 5 sh -c '[ "$(grep -o "$1" "$2" | wc -l)" -gt "$3" ]' _ "$polished" "$TARGET_OUT" "$pasted_before" \
      || problem "the window got '$(target_text)', not the polished text"
    grep -q '^\[e2e\] phase: done' "$out" || problem "the run did not end done"
    ! grep -qF "$copied_only" "$out" || problem "the run says '$copied_only'"
    wait_until 2 clipboard_is "$before" || problem "the clipboard is '$(clipboard)', not the user's '$before'"
  else
    now=$(clipboard)
    [[ $now == *"$polished"* ]] \
      || problem "the dictated text is not on the clipboard ('$now')$(grep -qF "$copied_only" "$out" && echo ", yet the run says '$copied_only'")"
    [ "$(grep -o "$polished" "$TARGET_OUT" | wc -l)" = "$pasted_before" ] || problem "the text was pasted anyway"
  fi
  wait "$answer" || problem "the consent dialog was not answered: $(cat "$E2E_TMP/answer-$decision.log")"
  local status=0
  wait_for_exit "$run" 10 || status=$?
  [ "$status" != 124 ] || fail "$decision: the run did not end"
  wait_for_exit "$watcher" 5 || fail "$decision: the session watcher did not end"
  # Looked at from 0.2 to 1 s after the result, before the scripted run begins to end (1.5 s
  # after it): a session that goes away only with the program stands all day on a desktop.
  local after since
  after=$(awk -v r="$result" '$1 >= r + 0.2 && $1 <= r + 1 { n++; if ($2 > 0) held = $2 }
    END { print n ? (held ? held : 0) : "unseen" }' "$watched")
  since=$(awk 'NR == 1 { t = $1 } $2 > 0 { printf "%.1f", $1 - t; exit }' "$watched")
  [ "$after" != unseen ] || problem "no look at the program's portal sessions after its result"
  [ "$after" = unseen ] || [ "$after" = 0 ] \
    || problem "the dictation is over and the program still holds $after portal session(s), since ${since} s after it came on the bus"
  now=$(clipboard)
  if [ "$decision" = allow ]; then
    [ "$now" = "$before" ] || problem "after the program ended the clipboard is '$now', not '$before'"
  else
    [[ $now == *"$polished"* ]] || problem "after the program ended the clipboard is '$now'"
  fi
  note "$decision: $(grep '^\[e2e\] \(paste\|portal\):' "$out" | tr '\n' ' ')"
}

problems=()
dictate allow
dictate deny
[ ${#problems[@]} = 0 ] || fail "$(printf '\n  %s' "${problems[@]}")"
echo PASS
