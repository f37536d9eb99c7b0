#!/usr/bin/env bash
# The real program over a big log: how long until its window settles (the file read,
# indexed and its rows counted at a 480-pixel width: the process has used no processor
# for a second), and its peak memory (VmHWM), beside `wc -l` on the same file in the
# same run. The file comes from the page cache.
#   bash bench/big_log_window.sh build/app/glimra4 [log=/tmp/glimra_big.log]
source "$(dirname "$0")/lib.sh"
log=${2:-/tmp/glimra_big.log}
[ -r "$log" ] || fail "no $log (bench_big_log makes it)"
wc -l "$log" >/dev/null
count=$( { /usr/bin/time -f %e wc -l "$log" >/dev/null; } 2>&1)

write_ini Left=100 Top=100 Width=480 Height=350 GWatch=FALSE WordWrap=TRUE
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
t0=$(date +%s%N)
start_glimra "$log"
last=$(cpu "$GLIMRA_PID") settled=$t0 still=0
while [ "$still" -lt 10 ]; do
    sleep 0.1
    kill -0 "$GLIMRA_PID" 2>/dev/null || fail "the program ended"
    now=$(cpu "$GLIMRA_PID")
    if [ "$now" != "$last" ]; then
        last=$now settled=$(date +%s%N) still=0
    else
        still=$((still + 1))
    fi
done
peak=$(awk '/^VmHWM/ { print int($2 / 1024) }' "/proc/$GLIMRA_PID/status")
printf 'window settled after %.2f s, VmHWM %d MB (bound 256 MB); wc -l %s s, ratio %.1f x\n' \
    "$(echo "($settled - $t0) / 1000000000" | bc -l)" "$peak" "$count" \
    "$(echo "($settled - $t0) / 1000000000 / $count" | bc -l)"
