#!/usr/bin/env bash
# A module written against the header alone loads, draws into its window and gets
# its clicks: it paints its area magenta, and green once clicked. What it writes into
# the DC and what it blends show as they would over the captured desktop, also where
# a compositor blends the window, also one that starts while it is open. Selected by
# the click, D moves it below tessel, and closing the window stores that order.
source "$(dirname "$0")/lib.sh"

module=$E2E_TOOLS/modules/libpainter_module.so
[ -f "$module" ] || fail "no painter module at $module"
mkdir -p "$WORK/app/Module"
cp "$module" "$WORK/app/Module/painter.so"
echo "x" > "$WORK/t.log"
wait_colour() { # expected "R,G,B", what it means
    local got
    for _ in $(seq 40); do
        got=$(pixel_at "$x" "$y")
        [ "$got" = "$1" ] && return 0
        sleep 0.1
    done
    fail "pixel is $got, expected $1 ($2)"
}
# The column's right edge is 10 pixels left of the scroll bar, its top 10 below the
# Module button: the first module's 40 x 20 area lies at (398, 36) in the window.
open_at_300() {
    write_ini Left=300 Top=300
    start_glimra "$WORK/t.log"
    id=$(wait_window "t.log") || fail "window did not open"
    focus_window "$id"
    x=$((300 + 398 + 20)) y=$((300 + 36 + 10))
}
close_and_wait() {
    close_window "$id"
    for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
}

start_backdrop C86432
for look in captured live; do
    open_at_300
    if [ "$look" = live ]; then
        # The compositor starts while the window is open: the window is made anew for
        # it, its module's drawing with it.
        wait_colour "255,0,255" "the module's drawing before the compositor"
        xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
        PIDS+=($!)
        for _ in $(seq 60); do
            id=$(wait_window "t.log")
            xwininfo -id "$id" 2>/dev/null | grep -q "Depth: 32" && break
            sleep 0.1
        done
        xwininfo -id "$id" | grep -q "Depth: 32" || fail "the window did not go live"
    fi
    wait_colour "255,0,255" "the module's drawing ($look)"
    x=$((x - 10)) wait_colour "255,0,255" "the module's own pixels ($look)"
    # Its yellow square blended at 0.7 covers 70 % of what lies beside it.
    square=$(pixel_at 703 361) beside=$(pixel_at 690 361)
    awk -v a="$square" -v b="$beside" 'BEGIN { split(a, p, ","); split(b, q, ",");
        for (i = 1; i <= 3; i++) { d = p[i] - ((i < 3) * 0.7 * 255 + 0.3 * q[i]); if (d < -3 || d > 3) exit 1 } }' ||
        fail "square blended at 0.7 is $square beside $beside ($look)"
    xdotool mousemove "$x" "$y" click 1
    wait_colour "0,255,0" "the module's drawing after a click ($look)"
    close_and_wait
done

# With tessel beside it: the selected painter moves below tessel's 64-pixel square and
# the 5 pixels between them, and the close stores where each module stood.
cp "$(dirname "$GLIMRA_BIN")/Module/tessel.so" "$WORK/app/Module/tessel.so"
open_at_300
wait_colour "255,0,255" "the module's drawing beside tessel"
xdotool mousemove "$x" "$y" click 1
wait_colour "0,255,0" "the module's drawing after a click"
xdotool key d
y=$((y + 64 + 5))
wait_colour "0,255,0" "the module moved down"
close_and_wait
for entry in "PAINTER.SO= [0-9]*,TRUE,1" "TESSEL.SO= [0-9]*,TRUE,0"; do
    tr -d '\r' <"$WORK/app/GLIMRA4.INI" | grep -q "^$entry\$" ||
        fail "the settings do not record $entry: $(tr -d '\r' <"$WORK/app/GLIMRA4.INI" | tail -n 3)"
done
echo "module draws: ok"
