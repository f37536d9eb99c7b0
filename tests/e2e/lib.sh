# Shared by the end-to-end tests: a private X display, runtime and config folders,
# and a copy of the program in a folder of its own (its settings live beside it).
set -euo pipefail
GLIMRA_BIN=$1
E2E_TOOLS=$(dirname "$GLIMRA_BIN")/../tests
WORK=$(mktemp -d /tmp/glimra-e2e.XXXXXX)
export XDG_RUNTIME_DIR=$WORK/runtime XDG_CONFIG_HOME=$WORK/config HOME=$WORK/home
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME" "$WORK/app"
chmod 700 "$XDG_RUNTIME_DIR"
cp "$GLIMRA_BIN" "$WORK/app/glimra4"
APP=$WORK/app/glimra4
PIDS=()

cleanup() {
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    # A program saves its settings beside itself as it ends: the folder goes after it.
    local p _
    for p in "${PIDS[@]}"; do
        for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

# A private display: the first free number whose server really answers. A test may ask
# for another screen size in E2E_SCREEN before it sources this file.
XVFB_PID=
for n in $(seq 120 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        xdpyinfo -display ":$n" >/dev/null 2>&1 && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"
        break
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
done
[ -n "$XVFB_PID" ] || { echo "FAIL: no X display could be started" >&2; exit 1; }

fail() {
    echo "FAIL: $*" >&2
    [ -s "$WORK/glimra.out" ] && sed "s/^/glimra4: /" "$WORK/glimra.out" >&2
    [ -s "$WORK/xvfb.log" ] && sed "s/^/Xvfb: /" "$WORK/xvfb.log" | tail -n 5 >&2
    exit 1
}

# Starts the program in the background; its pid is in GLIMRA_PID.
start_glimra() {
    "$APP" "$@" >"$WORK/glimra.out" 2>&1 &
    GLIMRA_PID=$!
    PIDS+=("$GLIMRA_PID")
}

# Waits until a visible window whose title starts with $1 exists; prints its id.
wait_window() {
    local pattern=$1 timeout=${2:-10} id
    for _ in $(seq $((timeout * 10))); do
        id=$(xdotool search --onlyvisible --name "^$pattern" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Number of visible viewer windows of the program.
count_windows() {
    xdotool search --onlyvisible --classname glimra4 2>/dev/null | wc -l
}

close_window() { "$E2E_TOOLS/x_close_window" "$1"; }

# Writes GLIMRA4.INI beside the program; settings are given as KEY=VALUE arguments
# (e.g. WaitTime=500), the rest keep their defaults.
write_ini() {
    local -A v=([Left]=200 [Top]=150 [Width]=480 [Height]=350 [FontName]="DejaVu Sans"
        [FontSize]=9 [FontColor]=clWhite [WaitTime]=4500 [Retry]=10 [WordWrap]=TRUE
        [CaptureWait]=0 [LightLevel]=2 [BlendLevel]=50 [GWatch]=TRUE [StayOnTop]=FALSE
        [LayerWin]=FALSE [ActiveColor]=clLime [DeActiveColor]=clBlue [ActiveMenuColor]=clRed
        [DeActiveMenuColor]=clLime [FileColor]=clAqua [ThreadPriority]=0 [Opening]=FALSE
        [AV_B]=1 [AV_G]=1 [AV_R]=1 [AV_REVERSE]=FALSE [ScrollWait]=0)
    local kv
    for kv in "$@"; do v[${kv%%=*}]=${kv#*=}; done
    {
        printf '[SystemInfo]\r\nVersion= 0.1\r\n[Tips]\r\nCount= 0\r\nShow= TRUE\r\n[Main]\r\n'
        local k
        for k in Left Top Width Height FontName FontSize FontColor WaitTime Retry WordWrap \
            CaptureWait LightLevel BlendLevel GWatch StayOnTop LayerWin ActiveColor \
            DeActiveColor ActiveMenuColor DeActiveMenuColor FileColor ThreadPriority Opening \
            AV_B AV_G AV_R AV_REVERSE ScrollWait; do
            printf '%s= %s\r\n' "$k" "${v[$k]}"
        done
        printf '\r\n'
    } >"$WORK/app/GLIMRA4.INI"
}
write_ini

# Lays a desktop of one colour (RRGGBB) under everything.
start_backdrop() {
    "$E2E_TOOLS/x_backdrop" "$1" >/dev/null &
    PIDS+=($!)
    sleep 0.3
}

# Gives a window the input focus, which activates the program (no window manager here).
focus_window() { xdotool windowfocus "$1" 2>/dev/null || true; }

# The colour of one screen pixel as "R,G,B".
pixel_at() {
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" -crop "1x1+$1+$2" -depth 8 txt:- | tail -n1 |
        sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# Waits until the pixel at X Y lies within TOLERANCE of "R,G,B" in every channel, trying
# TRIES times (30) 0.1 s apart; prints the last pixel seen when it never does.
wait_pixel_near() {
    local x=$1 y=$2 want=$3 tolerance=$4 tries=${5:-30} got
    for _ in $(seq "$tries"); do
        got=$(pixel_at "$x" "$y")
        if awk -v a="$got" -v b="$want" -v t="$tolerance" 'BEGIN {
            split(a, p, ","); split(b, q, ",");
            for (i = 1; i <= 3; i++) { d = p[i] - q[i]; if (d < -t || d > t) exit 1 } }'; then
            return 0
        fi
        sleep 0.1
    done
    echo "$got"
    return 1
}

# A checksum of a screen rectangle W H X Y.
region_sum() {
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" -crop "$1x$2+$3+$4" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

# How many pixels of the screen rectangle W H X Y are strongly red (red well above
# green and blue, as the give-up badge's outlines are).
red_pixels() {
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" -crop "$1x$2+$3+$4" -depth 8 txt:- |
        sed -nE 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/p' |
        awk '$1 >= 80 && $1 >= 3 * ($2 + $3) { n++ } END { print n + 0 }'
}

# Window position as "X Y".
window_origin() {
    xdotool getwindowgeometry "$1" | sed -nE 's/.*Position: ([0-9-]+),([0-9-]+).*/\1 \2/p'
}

# Clicks at X Y until the rectangle W H RX RY changes (a click can land while the
# program is busy capturing the desktop); fails after three tries.
click_until_changed() {
    local x=$1 y=$2 before
    # Hovering alone highlights a button: compare against the highlighted look.
    xdotool mousemove "$x" "$y"
    sleep 0.4
    before=$(region_sum "$3" "$4" "$5" "$6")
    for _ in 1 2 3; do
        xdotool click 1
        sleep 0.5
        [ "$(region_sum "$3" "$4" "$5" "$6")" != "$before" ] && return 0
    done
    return 1
}
