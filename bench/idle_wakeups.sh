#!/usr/bin/env bash
# Wake-ups of an idle window (Notify on, Auto off) under Xvfb: the voluntary switches of
# all the program's threads over a period, with GWatch on and off, beside `tail -F`
# following the same log in the same period.
#   bash bench/idle_wakeups.sh build/app/glimra4 [seconds]
source "$(dirname "$0")/lib.sh"
period=${2:-10}

mkdir -p "$WORK/logs"
log=$WORK/logs/idle.log
for i in $(seq 1 200); do echo "idle line $i"; done >"$log"

# Voluntary switches of every thread of a process: each is a sleep, so each is a
# wake-up to come (preemptions are left out: they depend on the load, not on us).
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'
}

measure() {
    local gwatch=$1
    write_ini Left=100 Top=100 Width=480 Height=350 GWatch="$gwatch"
    start_glimra "$log"
    local id
    id=$(wait_window "idle.log") || fail "window did not open"
    focus_window "$id"
    sleep 1.5
    local wx wy
    read -r wx wy < <(window_origin "$id")
    click_until_changed $((wx + 130)) $((wy + 20)) 75 11 $((wx + 100)) $((wy + 15)) ||
        fail "the Notify button did not switch on"
    xdotool mousemove 0 0
    sleep 1
    tail -n0 -F "$log" >/dev/null 2>&1 &
    local tailPid=$!
    PIDS+=("$tailPid")
    sleep 0.5
    local g t
    read -r g t < <(sample_pair switches "$GLIMRA_PID" "$tailPid")
    kill "$tailPid" "$GLIMRA_PID" 2>/dev/null || true
    wait "$GLIMRA_PID" 2>/dev/null || true
    awk -v g="$g" -v t="$t" -v s="$period" -v w="$gwatch" 'BEGIN {
        printf "idle, Notify on, GWatch=%-5s glimra4 %6.1f wake-ups/s   tail -F %4.1f wake-ups/s  (%d s)\n",
            w, g / s, t / s, s }'
}

measure TRUE
measure FALSE
