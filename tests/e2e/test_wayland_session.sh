#!/usr/bin/env bash
# In a Wayland session (weston, headless, with XWayland) the program runs through
# XWayland, where its window stands at its stored place and blends live. Natively, when asked for, the
# compositor places the window, and a stop keeps the stored place instead of writing
# positions the platform never reported.
source "$(dirname "$0")/lib.sh"

echo "x" > "$WORK/t.log"
write_ini Left=300 Top=200 Width=480 Height=350
unset QT_QPA_PLATFORM
export WAYLAND_DISPLAY=glimra-e2e-$$
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 \
    --xwayland --idle-time=0 >"$WORK/weston.log" 2>&1 &
PIDS+=($!)
xdisplay=
for _ in $(seq 100); do
    xdisplay=$(sed -nE 's/.*xserver listening on display (:[0-9]+).*/\1/p' "$WORK/weston.log" | head -n1)
    [ -n "$xdisplay" ] && [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
    sleep 0.1
done
[ -n "$xdisplay" ] || fail "weston started no XWayland: $(tail -n 5 "$WORK/weston.log")"
export DISPLAY=$xdisplay

stored() { sed -nE "s/^$1= *(-?[0-9]+).*/\1/p" "$WORK/app/GLIMRA4.INI" | tr -d '\r'; }
stop_glimra() {
    kill -TERM "$GLIMRA_PID"
    for _ in $(seq 100); do kill -0 "$GLIMRA_PID" 2>/dev/null || return 0; sleep 0.1; done
    fail "the program did not end on SIGTERM"
}

# Both displays set, no platform asked: an X11 window (XWayland starts on first use).
start_glimra "$WORK/t.log"
id=$(wait_window "t.log" 20) || fail "no X11 window through XWayland"
read -r x y < <(window_origin "$id")
# weston's window manager reports the place about 32 pixels right and down (its frame).
[ "$x" -ge 295 ] && [ "$x" -le 340 ] && [ "$y" -ge 195 ] && [ "$y" -le 240 ] ||
    fail "window at $x,$y, expected near 300,200"
# XWayland composites: the window takes the live look, with an alpha channel.
xwininfo -id "$id" | grep -q "Depth: 32" || fail "no alpha channel under XWayland"
stop_glimra

# Natively: the compositor places the window; the stored place survives a stop.
write_ini Left=300 Top=200 Width=480 Height=350
QT_QPA_PLATFORM=wayland start_glimra "$WORK/t.log"
sleep 3
kill -0 "$GLIMRA_PID" 2>/dev/null || fail "native Wayland start failed"
[ -z "$(xdotool search --name '^t.log' 2>/dev/null)" ] || fail "asked for Wayland, got X11"
stop_glimra
[ "$(stored Left)" = 300 ] && [ "$(stored Top)" = 200 ] ||
    fail "stored place became $(stored Left),$(stored Top)"
echo "wayland session: ok"
