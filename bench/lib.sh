# Shared by the bench scripts that measure the running program under Xvfb.
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lib.sh"

# sample_pair COUNTER PID ANCHOR_PID: runs COUNTER (a function printing one number for
# a pid) on both processes before and after $period seconds; prints both differences.
sample_pair() {
    local counter=$1 ours=$2 theirs=$3 o0 t0
    o0=$("$counter" "$ours")
    t0=$("$counter" "$theirs")
    sleep "$period"
    echo $(($("$counter" "$ours") - o0)) $(($("$counter" "$theirs") - t0))
}

# write_big_log PATH MB: a log of MB megabytes of one realistic 100-byte line.
write_big_log() {
    yes "2024-05-17 08:00:00.000 INFO  [worker-01] http.server: GET /api/v1/orders/123456?expand=items 200 17 ms" |
        head -c "${2}M" >"$1" || true # yes ends on the closed pipe
}

# GLIMRA_LOOK=live: a compositing manager blends the windows, so the program takes its
# live look; otherwise it captures the desktop.
if [ "${GLIMRA_LOOK:-captured}" = live ]; then
    xcompmgr >/dev/null 2>&1 &
    PIDS+=($!)
    sleep 0.5
fi
