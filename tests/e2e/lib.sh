# Shared helpers of the end-to-end scripts (sourced, not run).
# Expects QUILLO (the program), FAKE_SERVICE (the fake cloud) and SUPPORT (tests/support).
# Every process started here is recorded and ended by pid when the script exits.

set -euo pipefail
# The scripts read the program's notices in Chinese, the source language, whatever the
# developer's own locale; the contract lines ([e2e], self-test) are the same in every language.
export LANGUAGE=zh_CN
E2E_PIDS=()
E2E_TMP=$(mktemp -d)
e2e_cleanup() {
  local p
  for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${E2E_PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT INT TERM

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# wait_until SECONDS CMD...: polls CMD every 0.1 s; fails when it never succeeds.
wait_until() {
  local tries
  tries=$(awk -v s="$1" 'BEGIN { printf "%d", s * 10 }'); shift
  while [ "$tries" -gt 0 ]; do
    "$@" && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  "$@"
}

# start_fake SCENARIO [extra args]: starts the fake service with a fresh test certificate;
# sets FAKE_HOST (127.0.0.1:PORT) and exports QUILLO_EXTRA_CA_CERTS.
start_fake() {
  local scenario=$1; shift
  local certs=$E2E_TMP/certs
  [ -s "$certs/ca.pem" ] || "$FAKE_DIR/make-test-cert" "$certs"
  local out=$E2E_TMP/fake.out
  "$FAKE_SERVICE" --cert "$certs/server.pem" --cert-key "$certs/server.key" --scenario "$scenario" \
    --record "$E2E_TMP/received.json" "$@" >"$out" 2>"$E2E_TMP/fake.err" &
  E2E_PIDS+=($!)
  wait_until 10 grep -q '^listening ' "$out" || { cat "$E2E_TMP/fake.err" >&2; fail "fake service did not start"; }
  FAKE_HOST=$(sed -n 's/^listening //p' "$out")
  export QUILLO_EXTRA_CA_CERTS=$certs/ca.pem
}

# import_key KEY HOST: stores the credentials the way a user would, from an environment file.
import_key() {
  printf 'QWEN_API_KEY=%s\nQWEN_API_HOST=%s\n' "$1" "$2" >"$E2E_TMP/quillo.env"
  timeout 20 "$QUILLO" --import-env "$E2E_TMP/quillo.env" >"$E2E_TMP/import.out" 2>&1 \
    || { cat "$E2E_TMP/import.out" >&2; fail "--import-env failed"; }
}

# start_target TITLE: the Tk text window; its content lands in $TARGET_OUT on every change.
start_target() {
  TARGET_OUT=$E2E_TMP/target.txt
  rm -f "$TARGET_OUT"
  /usr/bin/python3 "$SUPPORT/target-window.py" "$1" "$TARGET_OUT" &
  E2E_PIDS+=($!)
  wait_until 10 test -e "$TARGET_OUT" || fail "target window did not start"
  local wid
  wait_until 10 xdotool search --name "^$1\$" >/dev/null || fail "target window not mapped"
  wid=$(xdotool search --name "^$1\$" | head -1)
  TARGET_WID=$wid
  focus_target || fail "target window $wid has no focus (active: $(xprop -root _NET_ACTIVE_WINDOW 2>&1); windows: $(xdotool search --name . 2>/dev/null | wc -l))"
}

# focus_target: asks the window manager to activate the target until it is the active window.
focus_target() {
  wait_until 8 sh -c 'xdotool windowactivate "$1" >/dev/null 2>&1; sleep 0.2; [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]' _ "$TARGET_WID"
}

# wait_for_exit PID SECONDS: the exit status of a background process, or 124 when it outlives the bound.
wait_for_exit() {
  local end=$((SECONDS + $2))
  while kill -0 "$1" 2>/dev/null; do
    [ $SECONDS -lt $end ] || return 124
    sleep 0.1
  done
  wait "$1"
}

target_text() { cat "$TARGET_OUT" 2>/dev/null || true; }

# secrets_owner: the pid of the keyring daemon, the owner of the Secret Service name on the
# test's private bus; nothing while the name has no owner (one daemon replacing another), where
# a failing call under set -e and pipefail would end the test without a word.
secrets_owner() {
  { dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID string:org.freedesktop.secrets 2>/dev/null || true; } \
    | awk '/uint32/ { print $2 }'
}

# settings_file: where the program keeps its settings and history.
settings_file() { echo "${XDG_CONFIG_HOME:-$HOME/.config}/com.nolt.quillo.conf"; }

# recordings: the generated test audio, made once per run.
recordings() {
  # Kept in the build folder between runs when the caller gives one: speaking long.wav takes a while.
  RECORDINGS=${E2E_RECORDINGS:-$E2E_TMP/audio}
  "$SCRIPTS/make-test-recordings" "$RECORDINGS" >/dev/null
}

# history_texts: the "text" of every history entry in the settings file, one a line
# (the history is a JSON array stored as a QSettings byte array with C escapes).
history_texts() {
  /usr/bin/python3 - "$(settings_file)" <<'PY'
import codecs, json, os, re, sys
try:
    for line in open(sys.argv[1], encoding="utf-8"):
        m = re.match(r'^history="@ByteArray\((.*)\)"\s*$', line)
        if m:
            raw = codecs.escape_decode(m.group(1).encode("latin-1", "backslashreplace"))[0]
            for entry in json.loads(raw.decode("utf-8")):
                print(entry["text"].replace("\n", " "))
    sys.stdout.flush()
except BrokenPipeError:
    # The reader had what it wanted (grep -q stops at the first match): not a failure,
    # which under pipefail would fail the very check that matched.
    os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
PY
}

# has_history_text TEXT: whether some history entry is exactly TEXT. grep reads all of the
# reader's output (no -q), so the reader never writes into a closed pipe under pipefail.
has_history_text() {
  history_texts | grep -xF -- "$1" >/dev/null
}

# cli ARGS...: runs a command-line action, bounded; sets CLI_STATUS and CLI_ERR.
cli() {
  CLI_STATUS=0
  timeout 10 "$QUILLO" "$@" >"$E2E_TMP/cli.out" 2>"$E2E_TMP/cli.err" || CLI_STATUS=$?
  CLI_ERR=$(cat "$E2E_TMP/cli.err")
}

# start_quillo: the program as a user starts it, output in $E2E_TMP/quillo.out, its pid in
# quillo_pid; fails when it has exited after its start-up, then gives the target the focus.
start_quillo() {
  "$QUILLO" >"$E2E_TMP/quillo.out" 2>&1 &
  E2E_PIDS+=($!)
  quillo_pid=$!
  sleep 2
  kill -0 "$quillo_pid" 2>/dev/null || { cat "$E2E_TMP/quillo.out"; fail "the program exited at start-up"; }
  focus_target || fail "target window lost the focus"
}
