#!/usr/bin/env bash
# A file locked for longer than WaitTime x Retry is given up: the window shows the
# give-up badge (red outlines, centred), and no later retry loads the file.
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
read -r wx wy < <(window_origin "$id")
# The 200 x 200 badge centred in the 480 x 350 window.
badge=(200 200 $((wx + 140)) $((wy + 75)))
# A red count well below the badge's outlines (thousands of pixels) but far above
# anything else drawn there.
enough=1000
[ "$(red_pixels "${badge[@]}")" -lt "$enough" ] || fail "red in the window before the give-up"
# Three failures at 300 ms, then the give-up badge.
for _ in $(seq 25); do
    red=$(red_pixels "${badge[@]}")
    [ "$red" -ge "$enough" ] && break
    sleep 0.2
done
[ "$red" -ge "$enough" ] || fail "no give-up badge appeared ($red red pixels)"
wait "$lock_pid" || true
sleep 2 # the lock is gone now, but nothing retries any more
[ -z "$(xdotool search --onlyvisible --name '^held.log' 2>/dev/null)" ] ||
    fail "the file was opened after the give-up"
red=$(red_pixels "${badge[@]}")
[ "$red" -ge "$enough" ] || fail "the give-up badge went away ($red red pixels)"
echo "retry gives up: ok"
