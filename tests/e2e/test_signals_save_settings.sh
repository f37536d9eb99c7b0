#!/usr/bin/env bash
# SIGTERM and SIGHUP close the windows as the user would: the settings are written and
# the program exits 0.
source "$(dirname "$0")/lib.sh"

# Sends signal $1 and expects the program to end within 8 s with status 0.
stop_cleanly() {
    kill "-$1" "$GLIMRA_PID"
    for _ in $(seq 80); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$GLIMRA_PID" 2>/dev/null && fail "program did not end on $2"
    local status=0
    wait "$GLIMRA_PID" || status=$?
    [ "$status" -eq 0 ] || fail "$2: exit status $status"
}

echo "signals" >"$WORK/s.log"
cp "$WORK/app/GLIMRA4.INI" "$WORK/hand-written.ini"
start_glimra "$WORK/s.log"
id=$(wait_window "s.log") || fail "window did not open"
xdotool windowmove "$id" 321 123
sleep 0.5
stop_cleanly TERM SIGTERM
cmp -s "$WORK/hand-written.ini" "$WORK/app/GLIMRA4.INI" && fail "settings were not written"
grep -q $'^Left= 321\r$' "$WORK/app/GLIMRA4.INI" || fail "window bounds not stored"

start_glimra "$WORK/s.log"
wait_window "s.log" >/dev/null || fail "window did not open again"
stop_cleanly HUP SIGHUP

# Without settings the start asks where to keep them; a SIGHUP while it asks dismisses
# the question and closes the program cleanly once its window is up.
rm -f "$WORK/app/GLIMRA4.INI"
start_glimra "$WORK/s.log"
wait_window "4th Glimra" >/dev/null || fail "the start did not ask where to keep the settings"
stop_cleanly HUP "a SIGHUP during the start"
[ -f "$WORK/app/GLIMRA4.INI" ] || fail "settings were not written after a SIGHUP during the start"
echo "signals save settings: ok"
