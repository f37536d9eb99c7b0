#!/usr/bin/env bash
# A second start hands its command line to the running instance and exits.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/logs"
echo "first" > "$WORK/logs/first.log"
echo "spaced" > "$WORK/logs/my log.txt"

start_glimra "$WORK/logs/first.log"
wait_window "first.log" >/dev/null || fail "first window did not open"
[ "$(count_windows)" -eq 1 ] || fail "expected one window"

# Unquoted: the shell splits the path at its blank; it must arrive whole.
timeout 20 "$APP" $WORK/logs/my log.txt || fail "forwarder did not exit 0"
wait_window "my log.txt" 5 >/dev/null || fail "forwarded path did not open"
[ "$(count_windows)" -eq 2 ] || fail "expected two windows, got $(count_windows)"
kill -0 "$GLIMRA_PID" || fail "first instance died"

# No parameters: nothing opens, and the forwarder still exits 0.
timeout 20 "$APP" || fail "forwarder without parameters did not exit 0"
sleep 0.5
[ "$(count_windows)" -eq 2 ] || fail "a start without parameters opened a window"
echo "forwarding: ok"
