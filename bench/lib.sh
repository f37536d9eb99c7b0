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
