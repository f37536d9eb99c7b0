#!/usr/bin/env bash
# Finer than a window pixel: a window moved between screens of ratios 1 and 2 keeps its
# size in window pixels and lays its text for the screen it is on; natively on Wayland
# at scale 2 the text is finer too and the settings stay in window pixels.
E2E_SCREEN=2048x768x24
source "$(dirname "$0")/lib.sh"
command -v xrandr >/dev/null || { echo "SKIP: no xrandr"; exit 77; }

# Blocks of 2 x 2 screen pixels in W H X Y (X, Y even) that hold the text's pure white
# beside another shade: none where each window pixel is shown doubled.
fine_blocks() {
    convert "$WORK/shot.png" -crop "$1x$2+$3+$4" -depth 8 txt:- |
        sed -nE 's/^([0-9]+),([0-9]+):[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4 \5/p' |
        awk '{ k = int($1 / 2) "," int($2 / 2); n[k]++; if ($3 == 255 && $4 == 255 && $5 == 255) w[k]++ }
            END { for (k in n) c += w[k] > 0 && w[k] < n[k]; print c + 0 }'
}
size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

# Two monitors side by side on one screen, the right one at twice the ratio.
xrandr --setmonitor LEFT 1024/270x768/203+0+0 screen >/dev/null
xrandr --setmonitor RIGHT 1024/270x768/203+1024+0 none >/dev/null
for i in $(seq 30); do echo "line $i the quick brown fox jumps over the lazy dog"; done >"$WORK/t.log"
write_ini Left=100 Top=100 Width=400 Height=300
QT_SCREEN_SCALE_FACTORS="LEFT=1;RIGHT=2" start_glimra "$WORK/t.log"
id=$(wait_window "t.log" 20) || fail "window did not open"
sleep 1
[ "$(size_of "$id")" = 400x300 ] || fail "at ratio 1 the window is $(size_of "$id")"
xdotool windowmove "$id" 1124 100
sleep 1.5
[ "$(size_of "$id")" = 800x600 ] || fail "at ratio 2 the window is $(size_of "$id"), not 800x600"
import -window root "$WORK/shot.png"
fine=$(fine_blocks 600 300 1154 160)
[ "$fine" -ge 100 ] || fail "at ratio 2 the text is not finer than window pixels ($fine)"
xdotool windowmove "$id" 100 100
sleep 1.5
[ "$(size_of "$id")" = 400x300 ] || fail "back at ratio 1 the window is $(size_of "$id")"
echo "two ratios: ok"
