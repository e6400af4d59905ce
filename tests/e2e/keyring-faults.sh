#!/usr/bin/env bash
# The keyring failing under a dictation: a Secret Service that does not answer (its daemon
# stopped), then answers again; a locked keyring, also one locked when Quillo starts (no window
# may then ask for the key it holds); and a session bus with no Secret Service at all. Each run
# must end with a message on the panel, never hang, and the key must be used once the keyring
# answers.
source "$(dirname "$0")/lib.sh"
recordings
start_fake "$SCENARIOS/polite.json"
import_key test-key "$FAKE_HOST"
start_target "Quillo Keyring Target"

# dictate NAME: one --e2e-file run; its exit status, its output in $E2E_TMP/NAME.out.
dictate() {
  local status=0
  focus_target || fail "target window lost the focus"
  "$QUILLO" --e2e-file "$RECORDINGS/short.wav" --e2e-delay 0.2 >"$E2E_TMP/$1.out" 2>&1 &
  E2E_PIDS+=($!)
  wait_for_exit $! 25 || status=$?
  [ "$status" != 124 ] || { cat "$E2E_TMP/$1.out"; fail "$1: the program hung"; }
  return "$status"
}

keyring_pid=$(secrets_owner)
[ -n "$keyring_pid" ] || fail "no Secret Service on the bus"
kill -STOP "$keyring_pid"
trap 'kill -CONT "$keyring_pid" 2>/dev/null || true; e2e_cleanup' EXIT INT TERM

started=$SECONDS
dictate stalled && fail "a dictation succeeded without the keyring"
grep -qF 'phase: failed("系统钥匙串没有响应，无法读取 API Key")' "$E2E_TMP/stalled.out" \
  || { cat "$E2E_TMP/stalled.out"; fail "no keyring message while the keyring did not answer"; }
note "keyring not answering: told after $((SECONDS - started)) s"

kill -CONT "$keyring_pid"
dictate answering || { cat "$E2E_TMP/answering.out"; fail "no dictation once the keyring answered again"; }
grep -q '^\[e2e\] phase: done' "$E2E_TMP/answering.out" || { cat "$E2E_TMP/answering.out"; fail "no done phase"; }
note "keyring answering again: dictation done"

# A locked login collection: the read asks for an unlock nobody answers. The user unlocking it
# is a daemon started again with the password (it takes over the bus name and the same file).
gdbus call --session --dest org.freedesktop.secrets --object-path /org/freedesktop/secrets \
  --method org.freedesktop.Secret.Service.Lock "[objectpath '/org/freedesktop/secrets/collection/login']" >/dev/null \
  || fail "could not lock the keyring"
started=$SECONDS
dictate locked && fail "a dictation succeeded with the keyring locked"
grep -q '^\[e2e\] phase: failed(' "$E2E_TMP/locked.out" || { cat "$E2E_TMP/locked.out"; fail "no failure shown with the keyring locked"; }
note "keyring locked: $(grep -m1 'phase: failed' "$E2E_TMP/locked.out") after $((SECONDS - started)) s"
printf throwaway | gnome-keyring-daemon --replace --daemonize --unlock --components=secrets >/dev/null 2>&1 \
  || fail "could not unlock the keyring"
new_pid=
for _ in $(seq 50); do
  new_pid=$(secrets_owner)
  [ -n "$new_pid" ] && [ "$new_pid" != "$keyring_pid" ] && break
  sleep 0.1
done
[ -n "$new_pid" ] && [ "$new_pid" != "$keyring_pid" ] || fail "the unlocked keyring did not take the bus name"
E2E_PIDS+=("$new_pid")
dictate unlocked || { cat "$E2E_TMP/unlocked.out"; fail "no dictation once the keyring was unlocked"; }
note "keyring unlocked: dictation done"

# Quillo started while the keyring is still locked (a login that unlocks it later): no window asks
# for a key it has, and its first dictation once the keyring is unlocked just works.
gdbus call --session --dest org.freedesktop.secrets --object-path /org/freedesktop/secrets \
  --method org.freedesktop.Secret.Service.Lock "[objectpath '/org/freedesktop/secrets/collection/login']" >/dev/null \
  || fail "could not lock the keyring again"
espeak-ng -v cmn -s 170 -w "$E2E_TMP/speech.wav" "我们明天下午四点开会" 2>/dev/null
pasted_before=$(grep -o "我们明天下午四点开会" "$TARGET_OUT" | wc -l || true)
start_quillo
# The first read of the key ends within the store's 4 s time-out.
if wait_until 6 sh -c 'xdotool search --name "Quillo 设置" >/dev/null 2>&1'; then
  fail "the settings window asked for a key the locked keyring holds"
fi
timeout 10 "$SUPPORT/unlock-keyring" || fail "could not unlock the keyring again"
cli --start
[ "$CLI_STATUS" = 0 ] || fail "--start exited $CLI_STATUS: '$CLI_ERR'"
sleep 0.4
timeout 20 paplay -d vsink "$E2E_TMP/speech.wav"
sleep 0.4
cli --stop
wait_until 20 sh -c '[ "$(grep -o "我们明天下午四点开会" "$1" | wc -l)" -gt "$2" ]' _ "$TARGET_OUT" "$pasted_before" \
  || { cat "$E2E_TMP/quillo.out"; fail "no text after the keyring was unlocked: '$(target_text)'"; }
note "started with the keyring locked: no key asked for; first dictation after the unlock pasted"
kill "$quillo_pid"
wait_for_exit "$quillo_pid" 15 || fail "Quillo did not end on SIGTERM"

# A bus of its own with no services to start: nothing owns the Secret Service name.
cat >"$E2E_TMP/bare-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$E2E_TMP</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
dbus-daemon --config-file="$E2E_TMP/bare-bus.conf" --nofork --print-address=3 --print-pid=4 \
  3>"$E2E_TMP/bare-bus.address" 4>"$E2E_TMP/bare-bus.pid" &
E2E_PIDS+=($!)
wait_until 5 test -s "$E2E_TMP/bare-bus.address" || fail "the bare bus did not start"
started=$SECONDS
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$E2E_TMP/bare-bus.address") dictate no-service \
  && fail "a dictation succeeded without a Secret Service"
grep -q '^\[e2e\] phase: failed(' "$E2E_TMP/no-service.out" \
  || { cat "$E2E_TMP/no-service.out"; fail "no failure shown without a Secret Service"; }
note "no Secret Service: $(grep -m1 'phase: failed' "$E2E_TMP/no-service.out") after $((SECONDS - started)) s"
echo PASS
