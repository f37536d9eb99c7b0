#!/usr/bin/env bash
# Switching away and straight back captures the desktop again: the program's own
# hide and show during a capture are not taken for the user's switches.
source "$(dirname "$0")/lib.sh"

echo "x" > "$WORK/t.log"
start_backdrop C86432 # red 200, green 100, blue 50
backdrop_pid=${PIDS[-1]}
root=$(xwininfo -root | awk '/Window id/ {print $4}')
# Darkened by 20 per channel, nothing else.
write_ini Left=300 Top=300 LightLevel=1 AV_B=0 AV_G=0 AV_R=0 CaptureWait=0

wait_pixel() { # expected "R,G,B", what it means
    local got
    for _ in $(seq 30); do
        got=$(pixel_at 500 500)
        [ "$got" = "$1" ] && return 0
        sleep 0.1
    done
    fail "pixel is $got, expected $1 ($2)"
}

start_glimra "$WORK/t.log"
id=$(wait_window "t.log") || fail "window did not open"
focus_window "$id"
wait_pixel "180,80,30" "first capture over the red desktop"
# Away (longer than the toolkit's focus debounce), the desktop turns blue, and back.
xdotool windowfocus "$root" 2>/dev/null || true
kill "$backdrop_pid"
start_backdrop 3264C8
sleep 0.6
focus_window "$id"
wait_pixel "30,80,180" "second capture over the blue desktop"
# And once more, quickly: every switch back is the user's.
xdotool windowfocus "$root" 2>/dev/null || true
kill "${PIDS[-1]}"
start_backdrop 32C864
sleep 0.6
focus_window "$id"
wait_pixel "30,180,80" "third capture over the green desktop"
echo "switch back recaptures: ok"
