#!/usr/bin/env bash
# A file held under an exclusive lock is retried and loaded once the lock is gone.
source "$(dirname "$0")/lib.sh"

log=$WORK/locked.log
echo "written under a lock" > "$log"
flock -x "$log" sleep 6 &
PIDS+=($!)
sleep 0.3

start_glimra "$log"
wait_window "GLIMRA WINDOW" >/dev/null || fail "window did not open"
[ -z "$(xdotool search --onlyvisible --name '^locked.log' 2>/dev/null)" ] ||
    fail "locked file was read while the lock was held"
# The default retry interval is 4.5 s; the lock ends after 6 s.
wait_window "locked.log" 30 >/dev/null || fail "file was not loaded after the lock ended"
echo "locked file: ok"
