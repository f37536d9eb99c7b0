#!/usr/bin/env bash
# A line appended to a followed file that matches an alert rule is announced with one
# Notify call on the session bus; fifty within ten seconds give two calls, the second
# saying how many more came. Without a bus the program goes on without a word.
if [ -z "${GLIMRA_PRIVATE_BUS:-}" ]; then
    GLIMRA_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

log=$WORK/alerts.log
printf 'ERROR at open is not news\n' >"$log"
write_ini Left=100 Top=100
printf '[Rules]\r\nCount= 2\r\nRule1= ERROR,clRed,ALERT\r\nRule2= エラー,clRed,ALERT\r\n\r\n' \
    >>"$WORK/app/GLIMRA4.INI"

# Switches Notify on in window $1, so that it follows its file.
follow() {
    focus_window "$1"
    sleep 1
    read -r wx wy < <(window_origin "$1")
    click_until_changed $((wx + 130)) $((wy + 20)) 75 11 $((wx + 100)) $((wy + 15)) ||
        fail "the Notify button did not switch on"
}
# Waits until the text below the buttons changes after an append; prints the wait in ms.
shows_within() {
    local before after t0 t1
    before=$(region_sum 300 60 $((wx + 15)) $((wy + 30)))
    t0=$(date +%s%N)
    printf '%s\n' "$1" >>"$log"
    for _ in $(seq 50); do
        after=$(region_sum 300 60 $((wx + 15)) $((wy + 30)))
        [ "$before" != "$after" ] && break
        sleep 0.05
    done
    t1=$(date +%s%N)
    [ "$before" != "$after" ] || fail "the appended line did not show"
    echo $(((t1 - t0) / 1000000))
}

# No bus at all: the line shows as any other and nothing is said.
bus=$DBUS_SESSION_BUS_ADDRESS
(unset DBUS_SESSION_BUS_ADDRESS; exec "$APP" "$log") >"$WORK/glimra.out" 2>&1 &
GLIMRA_PID=$!
PIDS+=("$GLIMRA_PID")
id=$(wait_window "alerts.log") || fail "window did not open"
follow "$id"
echo "without a bus the ERROR line showed after $(shows_within 'ERROR without a bus') ms"
grep -i 'dbus' "$WORK/glimra.out" && fail "the missing bus was reported"
kill "$GLIMRA_PID"
wait "$GLIMRA_PID" 2>/dev/null || true

# A private bus: every Notify call sent on it is seen.
export DBUS_SESSION_BUS_ADDRESS=$bus
dbus-monitor "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
    >"$WORK/monitor.out" 2>&1 &
PIDS+=("$!")
sleep 0.5
notes() { grep -c 'member=Notify' "$WORK/monitor.out" || true; }
start_glimra --encoding=CP932 "$log"
id=$(wait_window "alerts.log") || fail "window did not open"
follow "$id"
sleep 0.5
[ "$(notes)" -eq 0 ] || fail "lines read at open were announced"
printf 'INFO nothing to say\n' >>"$log"
printf 'ERROR disk full\n' >>"$log"
for _ in $(seq 10); do [ "$(notes)" -ge 1 ] && break; sleep 0.1; done
[ "$(notes)" -eq 1 ] || fail "expected one Notify within a second, saw $(notes)"
grep -q 'string "alerts.log"' "$WORK/monitor.out" || fail "the summary is not the file's name"
grep -q 'string "ERROR disk full"' "$WORK/monitor.out" || fail "the body is not the line"
# Another rule alerts on its own; it matches the line's text, decoded from CP932.
printf 'エラー 接続\n' | iconv -f UTF-8 -t CP932 >>"$log"
for _ in $(seq 10); do [ "$(notes)" -ge 2 ] && break; sleep 0.1; done
grep -q 'string "エラー 接続"' "$WORK/monitor.out" || fail "the CP932 line did not alert as text"

# Fifty in all within ten seconds: the next call comes when the ten seconds end.
for i in $(seq 49); do printf 'ERROR burst %d\n' "$i" >>"$log"; sleep 0.02; done
sleep 3
[ "$(notes)" -eq 2 ] || fail "a burst within ten seconds was announced at once"
for _ in $(seq 100); do [ "$(notes)" -ge 3 ] && break; sleep 0.1; done
sleep 1
[ "$(notes)" -eq 3 ] || fail "expected two Notify calls for the first rule, saw $(($(notes) - 1))"
grep -q 'string "ERROR burst 49 (and 48 more)"' "$WORK/monitor.out" ||
    { grep 'burst' "$WORK/monitor.out" >&2; fail "the second call does not count the others"; }
echo "alerts: ok"
