#!/usr/bin/env bash
# With Notify on, a line appended by another process shows within a second.
source "$(dirname "$0")/lib.sh"

log=$WORK/follow.log
printf 'one\ntwo\nthree\n' > "$log"
write_ini Left=100 Top=100 Width=480 Height=350
start_glimra "$log"
id=$(wait_window "follow.log") || fail "window did not open"
focus_window "$id"
sleep 1.5
read -r wx wy < <(window_origin "$id")
# The Notify button sits at (100, 15) in the window, 75 x 11.
click_until_changed $((wx + 130)) $((wy + 20)) 75 11 $((wx + 100)) $((wy + 15)) ||
    fail "the Notify button did not switch on"
# Rows 4 and 5 of the text area are empty until the new lines arrive.
before=$(region_sum 300 40 $((wx + 15)) $((wy + 70)))
printf 'four appended by another process\nfive\n' >> "$log"
# Normally within a second; the wait is generous for a loaded machine.
for _ in $(seq 25); do
    after=$(region_sum 300 40 $((wx + 15)) $((wy + 70)))
    [ "$before" != "$after" ] && break
    sleep 0.2
done
[ "$before" != "$after" ] || fail "appended lines did not show"
echo "follows appends: ok"
