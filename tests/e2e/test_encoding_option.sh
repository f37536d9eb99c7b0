#!/usr/bin/env bash
# --encoding=NAME is checked before anything starts; a start with it opens its file
# here, or hands it to the running instance like any other start.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/logs"
echo "first" > "$WORK/logs/first.log"
echo "second" > "$WORK/logs/second.log"

# A name nobody knows: a message that lists the accepted names, and no window.
code=0
timeout 20 "$APP" --encoding=klingon "$WORK/logs/first.log" 2>"$WORK/err.txt" || code=$?
[ "$code" -eq 2 ] || fail "an unknown encoding exited with $code"
grep -q 'unknown encoding "klingon"' "$WORK/err.txt" && grep -q 'CP932' "$WORK/err.txt" ||
    fail "no clear message: $(cat "$WORK/err.txt")"
[ "$(count_windows)" -eq 0 ] || fail "an unknown encoding opened a window"

start_glimra --encoding=CP932 "$WORK/logs/first.log"
wait_window "first.log" >/dev/null || fail "the file after --encoding did not open"

# Relative to the forwarder's folder, the option taken off before the path is resolved.
(cd "$WORK/logs" && timeout 20 "$APP" --encoding EUC-JP second.log) ||
    fail "the forwarder did not exit 0"
wait_window "second.log" 5 >/dev/null || fail "the forwarded file did not open"
[ "$(count_windows)" -eq 2 ] || fail "expected two windows, got $(count_windows)"
echo "encoding option: ok"
