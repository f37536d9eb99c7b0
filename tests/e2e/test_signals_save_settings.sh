#!/usr/bin/env bash
# SIGTERM and SIGHUP close the windows as the user would: the settings are written, the
# socket goes, and the program exits 0, whenever the signal comes and however many come.
source "$(dirname "$0")/lib.sh"

SOCKET=$XDG_RUNTIME_DIR/FOURTH_GLIMRA_MUTEX-$(id -u)
INI=$WORK/app/GLIMRA4.INI

# Expects the program to end within $2 tenths of a second (default 80) with status 0
# and without leaving its socket; $1 names the case.
expect_clean_end() {
    local status=0
    for _ in $(seq "${2:-80}"); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$GLIMRA_PID" 2>/dev/null && fail "program did not end: $1"
    wait "$GLIMRA_PID" || status=$?
    [ "$status" -eq 0 ] || fail "$1: exit status $status"
    [ -e "$SOCKET" ] && fail "$1: the socket was left behind"
    return 0
}

# Stops the window once it is up; the settings must be written anew. $@: kill arguments
# sent in turn, "sleep:S" pausing S seconds between them.
stop_window() {
    start_glimra "$WORK/s.log"
    wait_window "s.log" >/dev/null || fail "window did not open"
    touch -d '2000-01-01' "$INI"
    local step
    for step in "$@"; do
        case $step in
        sleep:*) sleep "${step#sleep:}" ;;
        *) kill "-$step" "$GLIMRA_PID" 2>/dev/null || true ;;
        esac
    done
    expect_clean_end "$*"
    [ "$INI" -nt "$WORK/s.log" ] || fail "$*: settings were not written"
}

echo "signals" >"$WORK/s.log"
touch -d '2001-01-01' "$WORK/s.log"
start_glimra "$WORK/s.log"
id=$(wait_window "s.log") || fail "window did not open"
xdotool windowmove "$id" 321 123
sleep 0.5
kill -TERM "$GLIMRA_PID"
expect_clean_end SIGTERM
grep -q $'^Left= 321\r$' "$INI" || fail "window bounds not stored"
stop_window HUP

# A second signal while the first one is being handled.
for pause in 0.001 0.002 0.003 0.005 0.008 0.013; do
    stop_window TERM "sleep:$pause" HUP
done

# Caught from the start: while the instance is checked (here: the lock is held and
# nobody answers, so the start waits) and at moments through the rest of the start.
exec 9>"$SOCKET.lock"
flock -n 9 || fail "could not take the lock"
"$APP" "$WORK/s.log" >"$WORK/glimra.out" 2>&1 9>&- &
GLIMRA_PID=$!
PIDS+=("$GLIMRA_PID")
sleep 0.5
kill -TERM "$GLIMRA_PID"
exec 9>&-
expect_clean_end "a SIGTERM while the instance is checked"
caught() { (( 0x$(sed -n 's/^SigCgt:\s*//p' "/proc/$GLIMRA_PID/status" 2>/dev/null || echo 0) & 0x4000 )); }
signal=TERM
for pause in 0 0.03 0.06 0.09 0.12; do
    start_glimra "$WORK/s.log"
    for _ in $(seq 1000); do caught && break; sleep 0.005; done
    sleep "$pause"
    kill "-$signal" "$GLIMRA_PID"
    expect_clean_end "SIG$signal $pause s into the start"
    signal=$([ "$signal" = TERM ] && echo HUP || echo TERM)
done

# Without settings the start asks where to keep them; a SIGHUP while it asks dismisses
# the question, no other box follows (a module that cannot be loaded would bring one),
# and the program closes cleanly and saves once its window is up.
mkdir -p "$WORK/app/Module"
echo "not a library" >"$WORK/app/Module/broken.so"
rm -f "$INI"
start_glimra "$WORK/s.log"
wait_window "4th Glimra" >/dev/null || fail "the start did not ask where to keep the settings"
kill -HUP "$GLIMRA_PID"
expect_clean_end "a SIGHUP during the start"
[ -f "$INI" ] || fail "settings were not written after a SIGHUP during the start"
echo "signals save settings: ok"
