#!/usr/bin/env bash
# Finer than a window pixel: a window moved between monitors of ratios 1, 2 and 1.5 keeps
# its size in window pixels and lays its text and badge for the monitor it is on; natively
# on Wayland at scale 2 the text is finer too, the corners stay cut and the settings stay
# in window pixels.
E2E_SCREEN=3072x768x24
source "$(dirname "$0")/lib.sh"
command -v xrandr >/dev/null || { echo "SKIP: no xrandr"; exit 77; }

# How many blocks of 2 x 2 pixels of the picture $1 in W H X Y (X, Y even) are not one
# colour (with "white": hold pure white beside another shade). None where each window
# pixel is shown doubled over a plain ground.
fine_blocks() {
    local picture=$1 w=$2 h=$3 x=$4 y=$5 split
    if [ "${6:-}" = white ]; then
        split=(-colorspace gray -threshold 99.9% -scale 50% -fill black -opaque white)
    else
        split=(\( +clone -scale 50% -scale 200% \) -compose difference -composite
            -colorspace gray -threshold 0 -scale 50%)
    fi
    convert "$picture" -crop "${w}x$h+$x+$y" +repage "${split[@]}" -threshold 0 \
        -format '%[fx:round(mean * w * h)]' info:
}
screen_blocks() { import -window root "$WORK/shot.png" && fine_blocks "$WORK/shot.png" "$@"; }
stop_glimra() {
    kill -TERM "$GLIMRA_PID"
    for _ in $(seq 100); do kill -0 "$GLIMRA_PID" 2>/dev/null || return 0; sleep 0.1; done
    fail "the program did not end on SIGTERM"
}
# Clicks the Notify button at X Y until its caption in W H RX RY turns red (on): a click
# that lands while the program is busy is tried again, never twice once it took.
notify_on() {
    local _ try
    xdotool mousemove "$1" "$2"
    for try in 1 2 3; do
        xdotool click 1
        for _ in $(seq 20); do
            [ "$(red_pixels "$3" "$4" "$5" "$6")" -gt 5 ] && return 0
            sleep 0.1
        done
    done
    return 1
}
size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

# Three monitors side by side on one screen, of ratios 1, 2 and 1.5.
xrandr --setmonitor LEFT 1024/270x768/203+0+0 screen >/dev/null
xrandr --setmonitor RIGHT 1024/270x768/203+1024+0 none >/dev/null
xrandr --setmonitor FAR 1024/270x768/203+2048+0 none >/dev/null
# Short lines: nothing of them lies under the badge.
for i in $(seq 30); do echo "line $i"; done >"$WORK/t.log"
# A long wait: the badge stays until the next tick of the clock that hides it.
write_ini Left=100 Top=100 Width=401 Height=301 WaitTime=30000
QT_SCREEN_SCALE_FACTORS="LEFT=1;RIGHT=2;FAR=1.5" start_glimra "$WORK/t.log"
id=$(wait_window "t.log" 20) || fail "window did not open"
sleep 1
[ "$(size_of "$id")" = 401x301 ] || fail "at ratio 1 the window is $(size_of "$id")"
xdotool windowmove "$id" 1124 100
sleep 1.5
[ "$(size_of "$id")" = 802x602 ] || fail "at ratio 2 the window is $(size_of "$id"), not 802x602"
# Activation captures the desktop with the windows hidden: they show again where they were.
focus_window "$id"
sleep 1
[ "$(window_origin "$id")" = "1124 100" ] ||
    fail "at ratio 2 an activation moved the window to $(window_origin "$id")"
# Off the primary monitor the captured backdrop is black: a plain ground for the count.
fine=$(screen_blocks 120 300 1154 220)
[ "$fine" -ge 60 ] || fail "at ratio 2 the text is not finer than window pixels ($fine)"
# The update badge, shown on a change while Notify is on: its words are drawn finer.
notify_on $((1124 + 2 * 137)) $((100 + 2 * 20)) 120 24 1338 128 ||
    fail "Notify did not answer at ratio 2"
echo "one more line" >>"$WORK/t.log"
shown=
for _ in $(seq 30); do
    # Its yellow heart shows first.
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" -crop 40x30+1469+420 -depth 8 txt:- |
        sed -nE 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/p' |
        awk '$1 > 80 && $2 > 80 && $3 < $1 / 2 { n++ } END { exit n < 100 }' && { shown=1; break; }
    sleep 0.1
done
[ -n "$shown" ] || fail "no update badge at ratio 2"
fine=$(fine_blocks "$WORK/shot.png" 320 32 1444 464)
[ "$fine" -ge 40 ] || fail "at ratio 2 the badge is not finer than window pixels ($fine)"
# Half device pixels round.
xdotool windowmove "$id" 2148 100
sleep 1.5
[ "$(size_of "$id")" = 602x452 ] || fail "at ratio 1.5 the window is $(size_of "$id"), not 602x452"
xdotool windowmove "$id" 100 100
sleep 1.5
[ "$(size_of "$id")" = 401x301 ] || fail "back at ratio 1 the window is $(size_of "$id")"
stop_glimra
echo "monitors of other ratios: ok"

# Natively on Wayland at scale 2 (weston headless, its pixman renderer for a screenshot).
command -v weston-screenshooter >/dev/null || { echo "SKIP: no weston-screenshooter"; exit 0; }
write_ini Left=300 Top=200 Width=400 Height=300
export WAYLAND_DISPLAY=glimra-e2e-$$
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 \
    --scale=2 --use-pixman --idle-time=0 --debug >"$WORK/weston.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
QT_QPA_PLATFORM=wayland start_glimra "$WORK/t.log"
sleep 2.5
kill -0 "$GLIMRA_PID" 2>/dev/null || fail "no start on Wayland at scale 2"
# Weston's screenshot of the whole output, as FILE.
screenshot() {
    rm -f "$WORK"/wayland-screenshot-*.png
    (cd "$WORK" && timeout 10 weston-screenshooter) || fail "no screenshot from weston"
    mv "$(ls "$WORK"/wayland-screenshot-*.png | head -n1)" "$1"
}
screenshot "$WORK/with.png"
# Below weston's panel; the desktop shows through, but never pure white.
fine=$(fine_blocks "$WORK/with.png" 2048 1400 0 136 white)
[ "$fine" -ge 200 ] || fail "on Wayland at scale 2 the text is not finer than window pixels ($fine)"
# The window keeps its cut corners where the platform does not cut it: the compositor
# places it, its title frame (lime, from 25,2 in window pixels) tells where.
frame=$(convert "$WORK/with.png" -fill black +opaque "rgb(0,255,0)" -format '%@' info:)
frameX=$(echo "$frame" | cut -d+ -f2) frameY=$(echo "$frame" | cut -d+ -f3)
cornerX=$((frameX - 2 * 25 + 3)) cornerY=$((frameY - 2 * 2 + 3))
corner=$(convert "$WORK/with.png" -crop "1x1+$cornerX+$cornerY" -depth 8 txt:- | tail -n1)
stop_glimra
screenshot "$WORK/without.png"
desktop=$(convert "$WORK/without.png" -crop "1x1+$cornerX+$cornerY" -depth 8 txt:- | tail -n1)
[ "${corner#*:}" = "${desktop#*:}" ] ||
    fail "on Wayland the window's corner at $cornerX,$cornerY is shaded: ${corner#*:} over ${desktop#*:}"
grep -q "^Left= 300" "$WORK/app/GLIMRA4.INI" && grep -q "^Width= 400" "$WORK/app/GLIMRA4.INI" ||
    fail "settings left window pixels: $(grep -E '^(Left|Top|Width|Height)=' "$WORK/app/GLIMRA4.INI")"
echo "wayland at scale 2: ok"
