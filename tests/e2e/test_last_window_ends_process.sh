#!/usr/bin/env bash
# Closing the last window ends the program within 5 seconds.
source "$(dirname "$0")/lib.sh"

echo "one line" > "$WORK/only.log"
start_glimra "$WORK/only.log"
id=$(wait_window "only.log") || fail "window did not open"
close_window "$id"
for _ in $(seq 60); do
    kill -0 "$GLIMRA_PID" 2>/dev/null || { echo "last window: ok"; exit 0; }
    sleep 0.1
done
fail "process still running 6 s after its last window closed"
