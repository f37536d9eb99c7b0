#!/usr/bin/env bash
# A module written against the header alone loads, draws into its window and gets
# its clicks: it paints its area magenta, and green once clicked. Selected by the
# click, D moves it below tessel, and closing the window stores that order.
source "$(dirname "$0")/lib.sh"

module=$E2E_TOOLS/modules/libpainter_module.so
[ -f "$module" ] || fail "no painter module at $module"
mkdir -p "$WORK/app/Module"
cp "$module" "$WORK/app/Module/painter.so"
cp "$(dirname "$GLIMRA_BIN")/Module/tessel.so" "$WORK/app/Module/tessel.so"
echo "x" > "$WORK/t.log"
write_ini Left=300 Top=300
start_glimra "$WORK/t.log"
id=$(wait_window "t.log") || fail "window did not open"
focus_window "$id"
# The column's right edge is 10 pixels left of the scroll bar, its top 10 below the
# Module button: the 40 x 20 area lies at (398, 36) in the window.
x=$((300 + 398 + 20)) y=$((300 + 36 + 10))
wait_colour() { # expected "R,G,B", what it means
    local got
    for _ in $(seq 40); do
        got=$(pixel_at "$x" "$y")
        [ "$got" = "$1" ] && return 0
        sleep 0.1
    done
    fail "pixel is $got, expected $1 ($2)"
}
wait_colour "255,0,255" "the module's drawing"
xdotool mousemove "$x" "$y" click 1
wait_colour "0,255,0" "the module's drawing after a click"
# Below tessel's 64-pixel square and the 5 pixels between them.
xdotool key d
y=$((y + 64 + 5))
wait_colour "0,255,0" "the module moved down"
# At the end the settings record where each module stood.
close_window "$id"
for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
for entry in "PAINTER.SO= [0-9]*,TRUE,1" "TESSEL.SO= [0-9]*,TRUE,0"; do
    tr -d '\r' <"$WORK/app/GLIMRA4.INI" | grep -q "^$entry\$" ||
        fail "the settings do not record $entry: $(tr -d '\r' <"$WORK/app/GLIMRA4.INI" | tail -n 3)"
done
echo "module draws: ok"
