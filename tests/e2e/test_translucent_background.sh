#!/usr/bin/env bash
# The window shows the desktop behind it, darkened or lightened by LightLevel and the tints.
source "$(dirname "$0")/lib.sh"

echo "x" > "$WORK/t.log"
start_backdrop C86432 # red 200, green 100, blue 50

check() { # expected "R,G,B" after activation
    start_glimra "$WORK/t.log"
    local id got
    id=$(wait_window "t.log") || fail "window did not open"
    focus_window "$id"
    for _ in $(seq 30); do
        got=$(pixel_at 500 500)
        [ "$got" = "$1" ] && break
        sleep 0.2
    done
    [ "$got" = "$1" ] || fail "pixel is $got, expected $1 ($2)"
    close_window "$id"
    for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
}

# Darkening by 3 * 20 plus the tint of each channel.
write_ini Left=300 Top=300 LightLevel=3 AV_B=5 AV_G=1 AV_R=20
check "120,39,0" "darkened"
# Lightening by 2 * 20 less the tint.
write_ini Left=300 Top=300 LightLevel=2 AV_B=1 AV_G=1 AV_R=1 AV_REVERSE=TRUE
check "239,139,89" "lightened"
echo "translucent background: ok"
