#!/usr/bin/env bash
# Auto on: the lines move up by themselves. Auto off: the program idles.
source "$(dirname "$0")/lib.sh"

log=$WORK/ticker.log
for i in $(seq 1 60); do echo "ticker line $i"; done > "$log"
write_ini Left=100 Top=100 Width=480 Height=350 ScrollWait=0
start_glimra "$log"
id=$(wait_window "ticker.log") || { cat "$WORK/glimra.out"; xdotool search --name . getwindowname %@; fail "window did not open"; }
focus_window "$id"
sleep 1.5
read -r wx wy < <(window_origin "$id")
auto_button() { xdotool mousemove $((wx + 210)) $((wy + 20)) click 1; }

click_until_changed $((wx + 210)) $((wy + 20)) 75 11 $((wx + 176)) $((wy + 15)) ||
    fail "the Auto button did not switch on"
first=$(region_sum 200 200 $((wx + 15)) $((wy + 40)))
sleep 0.5
second=$(region_sum 200 200 $((wx + 15)) $((wy + 40)))
[ "$first" != "$second" ] || fail "the lines did not move in Auto mode"

# Off again: the picture stands still (a click lost on a busy machine is repeated once).
stopped() {
    sleep 0.6
    a=$(region_sum 200 200 $((wx + 15)) $((wy + 40)))
    sleep 0.5
    [ "$a" = "$(region_sum 200 200 $((wx + 15)) $((wy + 40)))" ]
}
auto_button
stopped || { auto_button; stopped; } || fail "the lines kept moving after Auto was switched off"
xdotool mousemove 0 0
sleep 0.5
ticks() { awk '{print $14 + $15}' "/proc/$GLIMRA_PID/stat"; }
start=$(ticks)
sleep 5
used=$(($(ticks) - start))
hz=$(getconf CLK_TCK)
# Under 2 % of one core over 5 seconds.
[ $((used * 100)) -lt $((2 * 5 * hz)) ] || fail "idle CPU use $used ticks of $((5 * hz)) in 5 s"
echo "auto ticker: ok ($used ticks idle)"
