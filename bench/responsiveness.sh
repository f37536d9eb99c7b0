#!/usr/bin/env bash
# The window's thread while big files are read: how soon the window shows, and the
# longest wait for an answer from its event loop (bench/x_ping_window pings it every
# 10 ms while the file is read and counted), for a 1 GB log, a 4 GiB sparse file (NUL
# bytes, one line), a 100 MB line of letters and one of blanks, beside the same program
# on a 3-line log in the same run. Each file is read once by `wc -l` first, so all come
# from the page cache.
#   bash bench/responsiveness.sh build/app/glimra4 [log-MB] [seconds]
source "$(dirname "$0")/lib.sh"
megabytes=${2:-1024}
period=${3:-8}
pinger=$(dirname "$GLIMRA_BIN")/../bench/x_ping_window

mkdir -p "$WORK/logs"
small=$WORK/logs/small.log
printf 'one\ntwo\nthree\n' >"$small"
big=$WORK/logs/big.log
write_big_log "$big" "$megabytes"
sparse=$WORK/logs/sparse.log
truncate -s 4G "$sparse"
line=$WORK/logs/line.log
head -c 100000000 /dev/zero | tr '\0' 'x' >"$line"
blanks=$WORK/logs/blanks.log
head -c 100000000 /dev/zero | tr '\0' ' ' >"$blanks"

write_ini Left=100 Top=100 Width=480 Height=350 GWatch=FALSE
measure() {
    local what=$1 file=$2 count t0 t1 id
    count=$( { /usr/bin/time -f %e wc -l "$file" >/dev/null; } 2>&1)
    t0=$(date +%s%N)
    start_glimra "$file"
    id=$(wait_window "$(basename "$file")" 60) || fail "no window for $what"
    t1=$(date +%s%N)
    printf '%-22s window after %4d ms; %s (wc -l %s s)\n' "$what" $(((t1 - t0) / 1000000)) \
        "$("$pinger" "$id" "$period" 10 || echo "pings failed")" "$count"
    kill "$GLIMRA_PID" 2>/dev/null || true
    wait "$GLIMRA_PID" 2>/dev/null || true
}

measure "3-line log (anchor)" "$small"
measure "${megabytes} MB log" "$big"
measure "4 GiB sparse file" "$sparse"
measure "100 MB line" "$line"
measure "100 MB of blanks" "$blanks"
