#!/usr/bin/env bash
# The window's thread while an alert rule meets a giant appended line: a followed log
# gets a 10 MB line of letters that `re:(a+)+$` (ALERT) is matched against, and
# bench/x_ping_window times the event loop's answers meanwhile. The anchor is the same
# append with no rules at all, in the same run.
#   bash bench/alert_responsiveness.sh build/app/glimra4 [seconds]
source "$(dirname "$0")/lib.sh"
period=${2:-4}
pinger=$(dirname "$GLIMRA_BIN")/../bench/x_ping_window
line=$WORK/line.txt
{ head -c 10000000 /dev/zero | tr '\0' 'a'; echo; } >"$line"

measure() {
    local what=$1 rules=$2 log=$WORK/$3 id wx wy
    printf 'start\n' >"$log"
    write_ini Left=100 Top=100 GWatch=FALSE
    printf '[Rules]\r\n%s\r\n' "$rules" >>"$WORK/app/GLIMRA4.INI"
    start_glimra "$log"
    id=$(wait_window "$(basename "$log")") || fail "no window for $what"
    focus_window "$id"
    sleep 1
    read -r wx wy < <(window_origin "$id")
    click_until_changed $((wx + 130)) $((wy + 20)) 75 11 $((wx + 100)) $((wy + 15)) ||
        fail "the Notify button did not switch on"
    sleep 1
    ( sleep 1; cat "$line" >>"$log" ) &
    printf '%-34s %s\n' "$what" "$("$pinger" "$id" "$period" 10 || echo "pings failed")"
    kill "$GLIMRA_PID" 2>/dev/null || true
    wait "$GLIMRA_PID" 2>/dev/null || true
}

measure "no rules (anchor)" "Count= 0" plain.log
measure "re:(a+)+\$ ALERT over 10 MB line" $'Count= 1\r\nRule1= re:(a+)+$,clRed,ALERT' alert.log
