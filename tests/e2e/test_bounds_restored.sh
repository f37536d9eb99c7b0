#!/usr/bin/env bash
# The next start opens where the last window closed; the settings file keeps it.
source "$(dirname "$0")/lib.sh"

echo "bounds" > "$WORK/b.log"
start_glimra "$WORK/b.log"
id=$(wait_window "b.log") || fail "window did not open"
xdotool windowmove "$id" 333 222
xdotool windowsize "$id" 500 300
sleep 0.5
close_window "$id"
for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GLIMRA_PID" 2>/dev/null && fail "program did not end"
grep -q $'^Left= 333\r$' "$WORK/app/GLIMRA4.INI" || fail "Left not stored: $(grep Left "$WORK/app/GLIMRA4.INI")"
grep -q $'^Width= 500\r$' "$WORK/app/GLIMRA4.INI" || fail "Width not stored"

start_glimra "$WORK/b.log"
id=$(wait_window "b.log") || fail "window did not reopen"
sleep 0.3
geometry=$(xdotool getwindowgeometry "$id")
echo "$geometry" | grep -q "Position: 333,222" || fail "reopened at $geometry"
echo "$geometry" | grep -q "Geometry: 500x300" || fail "reopened as $geometry"
echo "bounds: ok"
