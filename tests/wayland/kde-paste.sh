#!/usr/bin/env bash
# A scripted dictation into a native GTK window on KDE Plasma's Wayland session, without
# XWayland: either the polished text arrives in the window and the run says done, or the run
# says the text was only copied ("已复制到剪贴板，请按 Ctrl+V 粘贴") and the Wayland clipboard
# really holds it (read with wl-paste, and pasted by a real Ctrl+V). A done without the text in
# the window is a failure: that is a paste claimed but never made.
source "$E2E_DIR/lib.sh"
source "$(dirname "$0")/kde-lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
trap 'status=$?; [ $status = 0 ] || { kde_diagnostics; echo "---- the run, timed:"; cat "$out.timed" 2>/dev/null; }
  e2e_cleanup; exit $status' EXIT
[ -z "${DISPLAY:-}" ] || fail "this test runs without XWayland, yet DISPLAY=$DISPLAY"

start_gtk_target "Quillo KDE Paste Target"
watch_focus

# What the user had copied before: it comes back after a paste.
before="the user's own clipboard $RANDOM"
wl-copy "$before"
wait_until 3 sh -c '[ "$(timeout 2 wl-paste -n 2>/dev/null)" = "$1" ]' _ "$before" || fail "wl-copy did not take"

polished="我们明天下午四点开会，记得带上演示"
copied_only="已复制到剪贴板，请按 Ctrl+V 粘贴"
out=$E2E_TMP/quillo.out
: >"$out"
"$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.3 >"$out" 2>&1 &
E2E_PIDS+=($!)
run_pid=$!
# Its lines with the time each was printed, beside the focus log's times for the diagnostics.
tail -F -n +1 "$out" 2>/dev/null | while IFS= read -r line; do
  printf '%s %s\n' "$(date +%s.%N | cut -c1-14)" "$line"
done >"$out.timed" &
E2E_PIDS+=($!)
wait_until 60 grep -q '^\[e2e\] phase: \(done\|failed\)' "$out" || { cat "$out"; fail "no result"; }
# The paste (or the clipboard alone) comes after the done line; the run ends by itself.
status=0
wait_for_exit "$run_pid" 20 || status=$?
cat "$out"

if wait_until 5 grep -qF "$polished" "$TARGET_OUT"; then
  grep -q '^\[e2e\] phase: done' "$out" || fail "the text arrived, but the run did not say done"
  [ "$status" = 0 ] || fail "the text arrived, but --e2e-file exited with $status"
  grep -q '^\[e2e\] phase: done.* · 前台应用 quillo-gtk-target$' "$out" \
    || fail "the focused window was not named (KWin knows it; Quillo asks it through a KWin script)"
  [ "$(wayland_clipboard)" = "$before" ] || fail "the clipboard is '$(wayland_clipboard)', not the user's '$before'"
  note "pasted into the GTK window, the clipboard put back: $(target_text); $(grep '^\[e2e\] paste:' "$out" | head -n 1)"
elif grep -qF "$copied_only" "$out"; then
  clip=$(wayland_clipboard)
  [[ "$clip" == *"$polished"* ]] \
    || fail "the run says the text was copied, but the Wayland clipboard holds '$clip'"
  note "copied only, and the Wayland clipboard holds it: $clip"
  # What the user is told to do: Ctrl+V in the window.
  focused_is quillo-gtk-target || fail "the GTK window lost the focus (focus: $(kde_query focus))"
  kwin_keys chord 29+47 || fail "kwin-keys could not press Ctrl+V"
  wait_until 5 grep -qF "$polished" "$TARGET_OUT" \
    || fail "Ctrl+V pasted '$(target_text)', not the copied text"
  note "a real Ctrl+V pasted it: $(target_text)"
elif grep -q '^\[e2e\] phase: done' "$out"; then
  fail "the run says done, but the GTK window holds '$(target_text)' and no copied-only message was shown (clipboard: '$(wayland_clipboard)'; focus: $(kde_query focus))"
else
  fail "the dictation failed: $(grep '^\[e2e\] phase:' "$out" | tail -n 1)"
fi
echo PASS
