#!/usr/bin/env bash
# A module's own dialog may stay open longer than a module call may hang: tessel's
# "HIGHLIGHT TEXT" question open for 14 s neither ends the program nor blames tessel.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/app/Module"
cp "$(dirname "$GLIMRA_BIN")/Module/tessel.so" "$WORK/app/Module/tessel.so"
echo "x" > "$WORK/t.log"
# No redraws of its own meanwhile: only the event loop shows life.
write_ini Left=300 Top=300 GWatch=FALSE
start_glimra "$WORK/t.log"
id=$(wait_window "t.log") || fail "window did not open"
focus_window "$id"
sleep 1
# tessel's square: right edge 10 pixels left of the scroll bar, top 10 below the
# Module button.
xdotool mousemove $((300 + 400)) $((300 + 60)) sleep 0.2 mousedown 3 sleep 0.2 mouseup 3
dialog=$(wait_window "HIGHLIGHT TEXT" 10) || fail "a right click on tessel asked nothing"
sleep 14
kill -0 "$GLIMRA_PID" 2>/dev/null || fail "the program ended while the module's dialog was open"
xdotool windowfocus --sync "$dialog" key Escape 2>/dev/null || xdotool key Escape
kill "$GLIMRA_PID"
for _ in $(seq 50); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
[ -s "$HOME/.local/state/glimra4/module-crash.rec" ] && fail "tessel was blamed"
echo "module dialog: ok"
