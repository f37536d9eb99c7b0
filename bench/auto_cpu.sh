#!/usr/bin/env bash
# Processor time of the program under Xvfb with Auto on (60 steps per second) in one
# and in five 480 x 350 windows, beside an anchor that only puts the same number of
# 480 x 350 frames on the same X server (bench/x_frame_anchor), in the same run. The
# five windows stand in a staircase with every button row uncovered, or, with "cascade",
# where they open: 20 pixels apart, each covering most of the one behind it.
#   bash bench/auto_cpu.sh build/app/glimra4 [seconds] [staircase|cascade]
source "$(dirname "$0")/lib.sh"
period=${2:-10}
layout=${3:-staircase}
case $layout in staircase | cascade) ;; *) fail "layout must be staircase or cascade, not '$layout'" ;; esac
anchor=$(dirname "$GLIMRA_BIN")/../bench/x_frame_anchor
hz=$(getconf CLK_TCK)

log=$WORK/ticker.log
for i in $(seq 1 400); do echo "ticker line $i: the quick brown fox jumps over the lazy dog"; done >"$log"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Percent of one core for a tick difference over the period.
percent() { awk -v t="$1" -v s="$period" -v hz="$hz" 'BEGIN { printf "%.1f", 100 * t / (s * hz) }'; }

measure() {
    local count=$1 i
    write_ini Left=20 Top=20 Width=480 Height=350 GWatch=TRUE ScrollWait=0 FontSize=9
    start_glimra "$log"
    wait_window "ticker.log" >/dev/null || fail "window did not open"
    # Every later start hands its file to the running program: one window more.
    for i in $(seq 2 "$count"); do timeout 10 "$APP" "$log" >/dev/null 2>&1 || true; done
    local ids=()
    for _ in $(seq 50); do
        mapfile -t ids < <(xdotool search --onlyvisible --name '^ticker.log' 2>/dev/null)
        [ "${#ids[@]}" -ge "$count" ] && break
        sleep 0.1
    done
    [ "${#ids[@]}" -ge "$count" ] || fail "only ${#ids[@]} of $count windows opened"
    sleep 1
    # A staircase: every window's button row stays uncovered. In the cascade the
    # windows stay where they opened, and each is raised to switch it on.
    local step=20 down=20
    if [ "$layout" = staircase ]; then
        step=100 down=60
        for i in $(seq 0 $((count - 1))); do
            xdotool windowmove "${ids[$i]}" $((20 + step * i)) $((20 + down * i))
        done
        focus_window "${ids[0]}"
        sleep 1
    fi
    for i in $(seq 0 $((count - 1))); do
        local wx=$((20 + step * i)) wy=$((20 + down * i))
        if [ "$layout" = cascade ]; then
            xdotool windowraise "${ids[$i]}"
            focus_window "${ids[$i]}"
            sleep 0.5
        fi
        click_until_changed $((wx + 210)) $((wy + 20)) 75 11 $((wx + 176)) $((wy + 15)) ||
            fail "the Auto button of window $i did not switch on"
    done
    xdotool mousemove 0 0
    sleep 1
    "$anchor" "$count" 60 >/dev/null 2>&1 &
    local anchorPid=$!
    PIDS+=("$anchorPid")
    sleep 0.5
    local g a ours theirs
    read -r g a < <(sample_pair ticks "$GLIMRA_PID" "$anchorPid")
    ours=$(percent "$g")
    theirs=$(percent "$a")
    kill "$anchorPid" "$GLIMRA_PID" 2>/dev/null || true
    wait "$GLIMRA_PID" 2>/dev/null || true
    printf 'Auto, %d window(s) (%s), 60 steps/s: glimra4 %5s %% of a core   anchor (%d x 480x350 frames/s to X) %5s %%  (%d s)\n' \
        "$count" "$layout" "$ours" $((60 * count)) "$theirs" "$period"
}

measure 1
measure 5
