#!/usr/bin/env bash
# A file locked for longer than WaitTime x Retry is given up: no later retry loads it.
source "$(dirname "$0")/lib.sh"

log=$WORK/held.log
echo "held" > "$log"
flock -x "$log" sleep 8 &
lock_pid=$!
PIDS+=("$lock_pid")
sleep 0.3
write_ini Left=100 Top=100 WaitTime=300 Retry=2
start_glimra "$log"
id=$(wait_window "GLIMRA WINDOW") || fail "window did not open"
focus_window "$id"
sleep 0.3
read -r wx wy < <(window_origin "$id")
centre_before=$(region_sum 200 200 $((wx + 140)) $((wy + 75)))
# Three failures at 300 ms, then the give-up badge.
for _ in $(seq 25); do
    centre_after=$(region_sum 200 200 $((wx + 140)) $((wy + 75)))
    [ "$centre_before" != "$centre_after" ] && break
    sleep 0.2
done
[ "$centre_before" != "$centre_after" ] || fail "no give-up badge appeared"
wait "$lock_pid" || true
sleep 2 # the lock is gone now, but nothing retries any more
[ -z "$(xdotool search --onlyvisible --name '^held.log' 2>/dev/null)" ] ||
    fail "the file was opened after the give-up"
echo "retry gives up: ok"
