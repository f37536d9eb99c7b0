#!/usr/bin/env bash
# Under a compositing manager the window has an alpha channel: the desktop shows
# through it live, shaded as the captured copy shades mid-grey, with no capture and no
# hiding on activation; text stays opaque. With LayerWin the alpha is per pixel too.
# A compositor that starts or stops while the program runs changes the look.
source "$(dirname "$0")/lib.sh"

printf 'WWWW IIII ||||\nHHHH MMMM\n' > "$WORK/t.log"
start_backdrop C86432 # red 200, green 100, blue 50
backdrop_pid=${PIDS[-1]}
xcompmgr_pid=
root=$(xwininfo -root | awk '/Window id/ {print $4}')
start_xcompmgr() {
    xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
    xcompmgr_pid=$!
    PIDS+=("$xcompmgr_pid")
    sleep 1
}
start_xcompmgr

# The brightest pixel of the text rows, as the smallest of its channels.
brightest_text() {
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" -crop "200x30+310+320" -depth 8 txt:- |
        sed -nE 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/p' |
        awk '{ m = $1; if ($2 < m) m = $2; if ($3 < m) m = $3; if (m > best) best = m }
             END { print best + 0 }'
}
stop_glimra() {
    close_window "$1"
    for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
}

write_ini Left=300 Top=300 LightLevel=2 AV_B=1 AV_G=1 AV_R=1 CaptureWait=300
start_glimra "$WORK/t.log"
id=$(wait_window "t.log") || fail "window did not open"
xwininfo -id "$id" | grep -q "Depth: 32" || fail "no 32-bit visual: $(xwininfo -id "$id" | grep Depth)"
xev -id "$id" -event structure >"$WORK/events.log" 2>&1 &
PIDS+=($!)
focus_window "$id"
# 128 - 41 = 87 of mid-grey: 82/255 of black over the desktop (factor 0.678).
got=$(wait_pixel_near 500 500 "136,68,34" 3) || fail "empty part is $got, expected about 136,68,34"
[ "$(brightest_text)" = 255 ] || fail "white text reaches only $(brightest_text)"

# The desktop turns blue while the program stays active: it shows within a second.
kill "$backdrop_pid"
start_backdrop 3264C8
backdrop_pid=${PIDS[-1]}
got=$(wait_pixel_near 500 500 "34,68,136" 3 7) || fail "blue desktop shows as $got"

# Three switches away and back: no hiding, so no unmapping.
for _ in 1 2 3; do
    xdotool windowfocus "$root" 2>/dev/null || true
    sleep 0.4
    focus_window "$id"
    sleep 0.4
done
grep -q UnmapNotify "$WORK/events.log" && fail "the window was unmapped on a switch"
stop_glimra "$id"

# Layered: black at 127/255 in the pixels, not as the window's opacity.
write_ini Left=300 Top=300 LayerWin=TRUE
start_glimra "$WORK/t.log"
id=$(wait_window "t.log") || fail "layered window did not open"
focus_window "$id"
got=$(wait_pixel_near 500 500 "25,50,100" 3) || fail "layered pixel is $got, expected about 25,50,100"
xprop -id "$id" _NET_WM_WINDOW_OPACITY | grep -q "not found" || fail "whole-window opacity set"
[ "$(brightest_text)" = 255 ] || fail "layered white text reaches only $(brightest_text)"
stop_glimra "$id"

# A compositor that starts while the program runs brings the live look, one that
# stops brings the captured look back; the window lives on through both.
kill "$xcompmgr_pid"
wait "$xcompmgr_pid" 2>/dev/null || true
sleep 0.5
write_ini Left=300 Top=300 LightLevel=2 AV_B=1 AV_G=1 AV_R=1
start_glimra "$WORK/t.log"
id=$(wait_window "t.log") || fail "window did not open without a compositor"
focus_window "$id"
# The captured shading subtracts: 41 of every channel at this level.
got=$(wait_pixel_near 500 500 "9,59,159" 3) || fail "captured look is $got"
start_xcompmgr
got=$(wait_pixel_near 500 500 "34,68,136" 3 50) || fail "live look did not come: $got"
xwininfo -id "$(xdotool search --onlyvisible --name '^t.log' | head -n1)" | grep -q "Depth: 32" ||
    fail "no 32-bit visual after the compositor started"
kill "$backdrop_pid"
start_backdrop C86432
got=$(wait_pixel_near 500 500 "136,68,34" 3 7) || fail "live look after the switch: $got"
kill "$xcompmgr_pid"
got=$(wait_pixel_near 500 500 "159,59,9" 3 50) || fail "captured look did not come back: $got"
kill -0 "$GLIMRA_PID" || fail "the program ended"
echo "live translucency: ok"
