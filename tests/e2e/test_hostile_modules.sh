#!/usr/bin/env bash
# Modules built from the header alone that fault, never return, exit, fail while
# loading, make no instance or call the host too early: each costs at most one failed
# start. The next start names it, has already saved it switched off, and runs with the
# innocent module beside it drawing.
source "$(dirname "$0")/lib.sh"

fixtures=$E2E_TOOLS/modules/Module
painter=$E2E_TOOLS/modules/libpainter_module.so
tessel=$(dirname "$GLIMRA_BIN")/Module/tessel.so
[ -f "$painter" ] && [ -f "$fixtures/crashdraw.so" ] || fail "modules not built"
record=$HOME/.local/state/glimra4/module-crash.rec
echo "x" > "$WORK/t.log"

# The painter's area: the column's right edge 10 left of the scroll bar, its top
# 10 below the Module button.
x=$((300 + 398 + 20)) y=$((300 + 36 + 10))
painted() {
    for _ in $(seq 50); do
        [ "$(pixel_at "$x" "$y")" = "255,0,255" ] && return 0
        sleep 0.1
    done
    return 1
}
ended() { # waits up to $1 seconds for the program to end
    for _ in $(seq $(($1 * 10))); do kill -0 "$GLIMRA_PID" 2>/dev/null || return 0; sleep 0.1; done
    return 1
}
stop() {
    kill "$GLIMRA_PID" 2>/dev/null || true
    ended 10 || fail "$1: the program did not end on SIGTERM"
}

# kind: the library's name in the Module folder; dies: whether its first start fails.
check() {
    local kind=$1 dies=$2 id
    rm -rf "$WORK/app/Module" "$WORK/app/GLIMRA4.INI" "$HOME/.local/state"
    mkdir -p "$WORK/app/Module"
    cp "$painter" "$WORK/app/Module/painter.so"
    if [ "$kind" = truncated ]; then
        head -c 20000 "$tessel" > "$WORK/app/Module/truncated.so"
    else
        cp "$fixtures/$kind.so" "$WORK/app/Module/$kind.so"
    fi
    write_ini Left=300 Top=300
    start_glimra "$WORK/t.log"
    if [ "$dies" = no ]; then
        wait_window "t.log" >/dev/null || fail "$kind: no window"
        painted || fail "$kind: the innocent module does not draw"
        stop "$kind"
        [ -s "$record" ] && fail "$kind: a clean run left a record: $(tr '\0' ' ' <"$record")"
        return 0
    fi
    # About 10 s for a call that never returns.
    ended 25 || fail "$kind: the first start neither ran nor ended"
    grep -q "^$kind.so" "$record" || fail "$kind: the record does not name it"
    [ -z "$(find "$WORK/app" -name '*.rec')" ] || fail "$kind: a record in the program's folder"
    start_glimra "$WORK/t.log"
    box=$(wait_window "4th Glimra" 10) || fail "$kind: the second start does not say what it switched off"
    tr -d '\r' <"$WORK/app/GLIMRA4.INI" | grep -qi "^$kind.so= [0-9]*,FALSE," ||
        fail "$kind: the switch-off is not saved at once: $(tr -d '\r' <"$WORK/app/GLIMRA4.INI" | tail -n 3)"
    xdotool windowfocus --sync "$box" key Return 2>/dev/null || xdotool key Return
    wait_window "t.log" >/dev/null || fail "$kind: the second start shows no window"
    painted || fail "$kind: the innocent module does not draw at the second start"
    stop "$kind"
    echo "$kind: one failed start"
}

for kind in crashdraw loadabort exitdraw hangdraw badpointers; do check "$kind" yes; done
for kind in nullcreate callsback; do check "$kind" no; done
# A cut copy of a real module: on this build it faults inside the loader.
head -c 20000 "$tessel" > "$WORK/cut.so"
rc=0
python3 -c "import ctypes; ctypes.CDLL('$WORK/cut.so')" >/dev/null 2>&1 || rc=$?
if [ "$rc" -gt 128 ]; then check truncated yes; else echo "truncated: loads or fails cleanly here ($rc)"; fi
echo "hostile modules: ok"
