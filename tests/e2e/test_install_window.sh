#!/usr/bin/env bash
# The install window: opens, and its install button runs the install after the two
# folder-creation questions are answered with Return.
source "$(dirname "$0")/lib.sh"
BUILD=$(cd "$(dirname "$GLIMRA_BIN")/.." && pwd)
DIST=$WORK/dist
export XDG_DATA_HOME=$WORK/home/.local/share
mkdir -p "$HOME/Desktop" "$XDG_DATA_HOME/applications"
cmake --install "$BUILD" --prefix "$DIST" >"$WORK/install.log" 2>&1 || fail "cmake --install"

APPDIR="$XDG_DATA_HOME/GLIMRA 4th"
# The folder is given: tests run as root, and root must name it.
"$DIST/setup" --dir "$APPDIR" >"$WORK/glimra.out" 2>&1 &
SETUP_PID=$!
PIDS+=("$SETUP_PID")
id=$(wait_window "QUENTARO INSTALL ASSISTANT") || fail "install window did not open"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$id")"
w=$WIDTH h=$HEIGHT
[ "$w" -ge 633 ] && [ "$h" -ge 369 ] || fail "window too small: $w x $h"
# The start button sits at (336, 332) in the centred 633 x 369 panel.
x=$(((w - 633) / 2 + 336 + 68))
y=$(((h - 369) / 2 + 332 + 14))
xdotool mousemove --window "$id" "$x" "$y" click 1
for _ in 1 2; do
    q=$(wait_window "4th Glimra" 5) || fail "no folder question"
    xdotool windowfocus --sync "$q" key Return 2>/dev/null || xdotool key Return
    sleep 0.5
done
for _ in $(seq 100); do kill -0 "$SETUP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$SETUP_PID" 2>/dev/null && fail "window did not close after the install"
[ -f "$APPDIR/uninst.dat" ] || fail "no uninst.dat"
grep -qx "\[DIRECTORIES\]" "$APPDIR/uninst.dat" || fail "created folders not recorded"
[ -x "$HOME/Desktop/GLIMRA 4th.desktop" ] || fail "no desktop shortcut"
echo PASS
