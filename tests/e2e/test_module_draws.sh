#!/usr/bin/env bash
# A module written against the header alone loads, draws into its window and gets
# its clicks: it paints its area magenta, and green once clicked. What it writes into
# the DC and what it blends show as they would over the captured desktop, also where
# a compositor blends the window.
source "$(dirname "$0")/lib.sh"

module=$E2E_TOOLS/modules/libpainter_module.so
[ -f "$module" ] || fail "no painter module at $module"
mkdir -p "$WORK/app/Module"
cp "$module" "$WORK/app/Module/painter.so"
echo "x" > "$WORK/t.log"
start_backdrop C86432
for look in captured live; do
    if [ "$look" = live ]; then
        xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
        PIDS+=($!)
        sleep 1
    fi
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
    x=$((x - 10)) wait_colour "255,0,255" "the module's own pixels"
    # Its yellow square blended at 0.7 covers 70 % of what lies beside it.
    square=$(pixel_at 703 361) beside=$(pixel_at 690 361)
    awk -v a="$square" -v b="$beside" 'BEGIN { split(a, p, ","); split(b, q, ",");
        for (i = 1; i <= 3; i++) { d = p[i] - ((i < 3) * 0.7 * 255 + 0.3 * q[i]); if (d < -3 || d > 3) exit 1 } }' ||
        fail "square blended at 0.7 is $square beside $beside"
    xdotool mousemove "$x" "$y" click 1
    wait_colour "0,255,0" "the module's drawing after a click"
    # At the end the settings record the module and where it stood.
    close_window "$id"
    for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
    grep -q "^PAINTER.SO= 0,TRUE,0" "$WORK/app/GLIMRA4.INI" ||
        fail "the settings do not record the module: $(tr -d '\r' <"$WORK/app/GLIMRA4.INI" | tail -n 3)"
done
echo "module draws: ok"
