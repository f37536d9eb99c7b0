#!/usr/bin/env bash
# Installs what is missing, builds, and runs glimra4 on FILE. Without FILE it shows a
# demo log in run/ that a background writer keeps appending to.
# With DISPLAY set the program runs on that display until it ends. Without one it runs
# on a private Xvfb over a colourful desktop picture under a compositing manager (so
# the live look is the one shown), saves a screenshot to run/screenshot.png and keeps
# running until interrupted. GLIMRA_RUN_SECONDS=N stops everything N seconds after the start.
# Usage: run.sh [FILE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
run=$root/run
app=$root/build/app/glimra4
seconds=${GLIMRA_RUN_SECONDS:-}
if [ -n "$seconds" ] && ! [[ $seconds =~ ^[0-9]+$ ]]; then
    echo "GLIMRA_RUN_SECONDS must be a whole number of seconds, not '$seconds'" >&2
    exit 2
fi
if [ $# -gt 1 ]; then
    echo "usage: run.sh [FILE]" >&2
    exit 2
fi

glimraPid= writerPid= xvfbPid= desktopPid= compositorPid=
cleanup() {
    trap - EXIT INT TERM
    local p
    for p in $writerPid $glimraPid $compositorPid $desktopPid $xvfbPid; do
        kill "$p" 2>/dev/null || true
    done
    for p in $writerPid $glimraPid $compositorPid $desktopPid $xvfbPid; do
        wait "$p" 2>/dev/null || true
    done
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

bash "$root/scripts/install_deps.sh"
bash "$root/scripts/build.sh" "$root/build"
mkdir -p "$run"

if [ $# -eq 1 ]; then
    file=$1
    # A running instance may have another working folder.
    [[ $file == /* ]] || file=$PWD/$file
else
    file=$run/demo.log
    : >"$file"
fi

startXvfb() {
    # Xvfb picks a free display itself and reports its number on fd 3.
    local numberFile=$run/display _
    : >"$numberFile"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$numberFile" >/dev/null 2>&1 &
    xvfbPid=$!
    for _ in $(seq 100); do
        [ -s "$numberFile" ] && break
        kill -0 "$xvfbPid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
    [ -s "$numberFile" ] || { echo "Xvfb did not report a display" >&2; exit 1; }
    export DISPLAY=":$(tr -d '[:space:]' <"$numberFile")"
    export QT_QPA_PLATFORM=xcb
    # Its own runtime folder: a glimra4 the user already runs would otherwise take
    # our file over on the other display.
    export XDG_RUNTIME_DIR=$run/runtime
    rm -rf "$XDG_RUNTIME_DIR"
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # A desktop picture, and a compositor to blend the windows over it.
    "$root/build/tests/x_backdrop" pattern >/dev/null &
    desktopPid=$!
    xcompmgr >/dev/null 2>&1 &
    compositorPid=$!
    sleep 0.5
}

# Nobody can answer the first start's storage question on Xvfb: keep settings in a
# file beside the program unless the user already has settings somewhere.
ensureSettings() {
    local ini=$root/build/app/GLIMRA4.INI
    local store=${XDG_CONFIG_HOME:-${HOME:-}/.config}/QUENTARO/GLIMRA4.conf
    [ -e "$ini" ] || [ -e "$store" ] || printf '[SystemInfo]\r\nVersion= 0.1\r\n\r\n' >"$ini"
}

startGlimra() {
    "$app" "$file" &
    glimraPid=$!
    if [ $# -eq 0 ]; then
        bash "$root/scripts/demo_writer.sh" "$file" "$glimraPid" 25 &
        writerPid=$!
    fi
}

# Until glimra4 ends, or for GLIMRA_RUN_SECONDS after it started.
waitGlimra() {
    while kill -0 "$glimraPid" 2>/dev/null; do
        [ -n "$seconds" ] && [ "$SECONDS" -ge "$seconds" ] && return 0
        sleep 0.5
    done
    local status=0
    wait "$glimraPid" || status=$?
    glimraPid=
    return "$status"
}

if [ -n "${DISPLAY:-}" ]; then
    startGlimra "$@"
    SECONDS=0
    echo "glimra4 is running on $DISPLAY with $file"
    waitGlimra
    exit
fi

startXvfb
ensureSettings
startGlimra "$@"
SECONDS=0
echo "glimra4 is running on Xvfb $DISPLAY with $file"
for _ in $(seq 100); do
    xdotool search --onlyvisible --classname glimra4 >/dev/null 2>&1 && break
    kill -0 "$glimraPid" 2>/dev/null || { echo "glimra4 ended before showing a window" >&2; exit 1; }
    sleep 0.1
done
# Activate the window (there is no window manager to do it) and switch Notify on, so
# the window follows the growing demo log as a person would have it.
window=$(xdotool search --onlyvisible --classname glimra4 2>/dev/null | head -n1)
sleep 1.5
xdotool windowfocus "$window" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 1
[ $# -eq 0 ] && xdotool mousemove $((X + 130)) $((Y + 20)) click 1 mousemove 0 0
# Give the window time to load and repaint, and the writer time to add lines.
sleep 3
import -window root "$run/screenshot.png"
echo "screenshot: $run/screenshot.png"
waitGlimra
