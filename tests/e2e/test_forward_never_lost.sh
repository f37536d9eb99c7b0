#!/usr/bin/env bash
# Twenty simultaneous starts open twenty windows; a start whose file nobody takes says so.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/logs"
pids=()
for i in $(seq 20); do
    echo "log $i" >"$WORK/logs/f$i.log"
done
for i in $(seq 20); do
    "$APP" "$WORK/logs/f$i.log" >>"$WORK/glimra.out" 2>&1 &
    pids+=($!)
    PIDS+=($!)
done
# One of them is the running instance and stays; every other one hands over and exits 0.
running=0
for _ in $(seq 300); do
    alive=0
    for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && alive=$((alive + 1)); done
    [ "$alive" -le 1 ] && break
    sleep 0.1
done
for p in "${pids[@]}"; do
    if kill -0 "$p" 2>/dev/null; then
        running=$((running + 1))
    else
        wait "$p" || fail "a forwarding start exited with $?"
    fi
done
[ "$running" -eq 1 ] || fail "$running instances still run"
for _ in $(seq 100); do
    [ "$(count_windows)" -eq 20 ] && break
    sleep 0.2
done
[ "$(count_windows)" -eq 20 ] || fail "expected 20 windows, got $(count_windows)"
for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done

# The lock is held and nobody answers: after waiting a while the start gives up, non-zero.
exec 9>"$XDG_RUNTIME_DIR/FOURTH_GLIMRA_MUTEX-$(id -u).lock"
flock -n 9 || fail "could not take the lock"
status=0
timeout 30 "$APP" "$WORK/logs/f1.log" 2>"$WORK/forward.err" 9>&- || status=$?
exec 9>&-
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "unanswered start exited with $status"
grep -q "f1.log.*not handed to the running instance" "$WORK/forward.err" ||
    fail "no message on standard error: $(cat "$WORK/forward.err")"
echo "forward never lost: ok"
