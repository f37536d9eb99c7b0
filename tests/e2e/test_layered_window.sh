#!/usr/bin/env bash
# With LayerWin on but no compositing manager the window stays opaque over its own
# shaded copy of the desktop and gets no opacity. (With one, see the live test.)
source "$(dirname "$0")/lib.sh"

echo "x" > "$WORK/t.log"
start_backdrop C86432 # red 200, green 100, blue 50
write_ini Left=300 Top=300 LayerWin=TRUE LightLevel=2 AV_B=0 AV_G=0 AV_R=0

stop_glimra() {
    close_window "$1"
    for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
}

# No compositing manager: no opacity, the shaded desktop copy (200 - 40, 100 - 40, 50 - 40).
start_glimra "$WORK/t.log"
id=$(wait_window "t.log") || fail "window did not open"
focus_window "$id"
got=$(wait_pixel_near 500 500 "160,60,10" 0 60) || fail "without a compositor the pixel is $got"
xprop -id "$id" _NET_WM_WINDOW_OPACITY | grep -q "not found" ||
    fail "opacity set without a compositor: $(xprop -id "$id" _NET_WM_WINDOW_OPACITY)"
stop_glimra "$id"

echo "layered window: ok"
