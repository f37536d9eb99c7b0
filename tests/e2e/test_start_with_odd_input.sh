#!/usr/bin/env bash
# Odd input never spoils a start: a giant font size in the settings is drawn at the
# largest size and stored so, and a file named like one of Qt's options is opened as
# the file it is. A leading "-platform NAME" alone still goes to Qt.
source "$(dirname "$0")/lib.sh"

echo "a log named like an option" >"$WORK/-reverse"
write_ini FontSize=10000 "FontName=ＭＳ Ｐゴシック"
cd "$WORK"
start_glimra -reverse
wait_window "-reverse" 20 >/dev/null || fail "the file -reverse was not opened"
kill -TERM "$GLIMRA_PID"
for _ in $(seq 80); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GLIMRA_PID" 2>/dev/null && fail "program did not end on SIGTERM"
status=0
wait "$GLIMRA_PID" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
# Only a clean end writes them: with the giant size, drawing kept the stop waiting.
grep -q $'^FontSize= 512\r$' "$WORK/app/GLIMRA4.INI" ||
    fail "the settings were not written with the font size bounded"

echo "x" >"$WORK/t.log"
write_ini
start_glimra -platform xcb t.log
wait_window "t.log" 20 >/dev/null || fail "-platform xcb t.log did not open t.log"
kill -TERM "$GLIMRA_PID"
for _ in $(seq 80); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
echo "start with odd input: ok"
