# Shared by the KDE Plasma scripts (run through kde-launch, inside tests/support/with-kde):
# the native GTK target window, what KWin says has the focus, kglobalaccel's components and
# keys, real key presses and the Wayland clipboard. Sourced after tests/e2e/lib.sh.

# Quillo's shortcut ids (DesktopShell's names for the portal): a kglobalaccel component holding
# one of them, or named after Quillo, is Quillo's.
QUILLO_ACTIONS=(hold toggle toggleTranslate holdSend cancel translate)

kde_query() { timeout 20 "$SUPPORT/kde-query" "$@"; }
# kwin_keys ACTION...: real key presses through KWin (evdev codes; see tests/support/kwin-keys).
kwin_keys() { timeout 30 "$SUPPORT/kwin-keys" "$@"; }

# focused_app: the resource class (a Wayland window's app_id) of the window KWin has focused.
focused_app() { kde_query focus 2>/dev/null | cut -f1; }
focused_is() { [ "$(focused_app)" = "$1" ]; }

# start_gtk_target TITLE: the GTK text window (app_id quillo-gtk-target) with the focus; its
# text lands in $TARGET_OUT on every change, the keys it receives in $TARGET_OUT.keys.
start_gtk_target() {
  TARGET_OUT=$E2E_TMP/target.txt
  rm -f "$TARGET_OUT" "$TARGET_OUT".*
  GDK_BACKEND=wayland /usr/bin/python3 "$SUPPORT/gtk-target-window.py" "$1" "$TARGET_OUT" \
    >"$E2E_TMP/gtk.log" 2>&1 &
  E2E_PIDS+=($!)
  wait_until 15 test -e "$TARGET_OUT" || { cat "$E2E_TMP/gtk.log"; fail "the GTK window did not start"; }
  wait_secs 10 focused_is quillo-gtk-target \
    || { cat "$E2E_TMP/gtk.log"; fail "the GTK window has no focus (focus: $(focused_app))"; }
}
target_text() { cat "$TARGET_OUT" 2>/dev/null || true; }

# quillo_components: the kglobalaccel components that are Quillo's, one a line.
quillo_components() { kde_query find --any "${QUILLO_ACTIONS[@]}" --name quillo | grep -v -x kwin || true; }

# wait_secs SECONDS CMD...: polls CMD (every 0.2 s) until it succeeds or SECONDS have passed,
# however long each try takes (lib.sh's wait_until counts tries).
wait_secs() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}

# shortcut_table COMPONENT: "action<TAB>keys" of every action, sorted.
shortcut_table() { kde_query shortcuts "$1" | cut -f1,2 | sort; }

# wayland_clipboard: what the Wayland clipboard holds (KWin 5.27 offers wlr data-control).
wayland_clipboard() { timeout 5 wl-paste -n 2>/dev/null || true; }

# watch_focus: samples KWin's focused window in the background (3 a second) into $FOCUS_LOG, one
# line per change: "TIME RESOURCE_CLASS CAPTION".
watch_focus() {
  FOCUS_LOG=$E2E_TMP/focus.log
  (
    last=
    while :; do
      now=$(kde_query focus 2>/dev/null | cut -f1,2 | tr '\t' ' ')
      if [ "$now" != "$last" ]; then
        echo "$(date +%s.%N | cut -c1-14) $now" >>"$FOCUS_LOG"
        last=$now
      fi
      sleep 0.3
    done
  ) &
  E2E_PIDS+=($!)
}

# kde_diagnostics: the session's state and the ends of its logs, for a failure's report.
kde_diagnostics() {
  echo "---- kglobalaccel components:"
  kde_query components 2>&1 | sed 's/^/  /'
  local c
  while read -r c; do
    echo "---- shortcuts of '$c':"
    kde_query shortcuts "$c" 2>&1 | sed 's/^/  /'
  done < <(quillo_components 2>/dev/null)
  echo "---- focus: $(kde_query focus 2>&1)"
  if [ -s "${FOCUS_LOG:-}" ]; then
    echo "---- KWin's focused window over time (Unix time, resource class, caption):"
    sed 's/^/  /' "$FOCUS_LOG"
  fi
  if [ -n "${TARGET_OUT:-}" ]; then
    echo "---- the GTK window holds '$(target_text)'; key events it received:"
    tr '\n' ' ' <"$TARGET_OUT.keys" 2>/dev/null | fold -w 150 | sed 's/^/  /'
    echo
    echo "---- the GTK window's keyboard focus (in/out, Unix time; now $(date +%s.%N | cut -c1-14)):"
    tr '\n' ' ' <"$TARGET_OUT.focus" 2>/dev/null | fold -w 150 | sed 's/^/  /'
    echo
  fi
  echo "---- xdg-desktop-portal-kde (last lines):"
  tail -n 25 "$QUILLO_KDE_BACKEND_LOG" 2>/dev/null | cut -c1-300
  echo "---- xdg-desktop-portal (last lines):"
  tail -n 10 "$QUILLO_KDE_PORTAL_LOG" 2>/dev/null | cut -c1-300
}
