#!/usr/bin/env bash
# Append to pixels under Xvfb: a 480 x 350 window follows a log with Notify on, its
# view at the end; bench/x_append_pixels appends a line and times write() until the
# window's text area changes, beside `tail -F` into a pipe in the same rounds.
#   bash bench/append_to_pixels.sh build/app/glimra4 [log-MB] [rounds]
source "$(dirname "$0")/lib.sh"
megabytes=${2:-0}
rounds=${3:-40}
tool=$(dirname "$GLIMRA_BIN")/../bench/x_append_pixels

mkdir -p "$WORK/logs"
log=$WORK/logs/append.log
if [ "$megabytes" -gt 0 ]; then
    write_big_log "$log" "$megabytes"
else
    printf 'one\ntwo\nthree\n' >"$log"
fi
write_ini Left=100 Top=100 Width=480 Height=350 GWatch=FALSE WaitTime=60000
start_glimra "$log"
id=$(wait_window "append.log" 300) || fail "window did not open"
focus_window "$id"
sleep 2
read -r wx wy < <(window_origin "$id")
click_until_changed $((wx + 130)) $((wy + 20)) 75 11 $((wx + 100)) $((wy + 15)) ||
    fail "the Notify button did not switch on"
# The view goes to the last line (the scroll bar dragged to its end), so new lines show.
xdotool mousemove $((wx + 454)) $((wy + 24)) mousedown 1 mousemove $((wx + 454)) $((wy + 700)) mouseup 1
xdotool mousemove 0 0
sleep 1
echo "log: $(wc -l <"$log") lines, $(stat -c %s "$log") bytes; wc -l: $( { /usr/bin/time -f %es wc -l "$log" >/dev/null; } 2>&1 )"
"$tool" "$id" "$log" "$rounds" || fail "not every append reached the window"
