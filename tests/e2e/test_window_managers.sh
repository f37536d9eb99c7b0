#!/usr/bin/env bash
# Under a real window manager (openbox) the title row, the right edge and the grip hand
# their drags to it, and the settings keep where it left the window. Under a tiling
# compositor (sway) the window is tiled, and the bounds the user chose survive that.
# Each desktop is skipped when it is not installed; with neither, the whole test is.
source "$(dirname "$0")/lib.sh"

has() { command -v "$1" >/dev/null; }
has openbox || { has sway && has setpriv && has xhost; } || exit 77

echo "x" > "$WORK/t.log"
stored() { sed -nE "s/^$1= *(-?[0-9]+).*/\1/p" "$WORK/app/GLIMRA4.INI" | tr -d '\r'; }
stored_bounds() { echo "$(stored Left),$(stored Top) $(stored Width)x$(stored Height)"; }
wait_end() {
    for _ in $(seq 100); do kill -0 "$GLIMRA_PID" 2>/dev/null || return 0; sleep 0.1; done
    fail "the program did not end"
}
bounds_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { printf "%d,%d %dx%d\n", x, y, w, h }'
}
# Presses at X Y, moves the pointer by DX DY in steps, lets go.
drag() {
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool mousedown 1
    sleep 0.2
    for i in $(seq 10); do
        xdotool mousemove $(($1 + $3 * i / 10)) $(($2 + $4 * i / 10))
        sleep 0.05
    done
    sleep 0.2
    xdotool mouseup 1
    sleep 0.5
}

if has openbox; then
    # The client messages that ask the window manager for a drag go to the root window.
    xev -root -event substructure >"$WORK/xev.log" 2>&1 &
    PIDS+=($!)
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    PIDS+=($!)
    for _ in $(seq 50); do
        [[ $(xprop -root _NET_SUPPORTED 2>/dev/null) == *_NET_WM_MOVERESIZE* ]] && break
        sleep 0.1
    done
    # Captured (activation hides and shows the window), then live: xcompmgr starts
    # while the window is open, which makes it anew with an alpha channel.
    for look in captured live; do
        write_ini Left=300 Top=200 Width=480 Height=350
        before=$(grep -c "(_NET_WM_MOVERESIZE)" "$WORK/xev.log" || true)
        start_glimra "$WORK/t.log"
        id=$(wait_window "t.log") || fail "no window under openbox ($look)"
        sleep 0.5
        if [ "$look" = live ]; then
            xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
            PIDS+=($!)
            for _ in $(seq 60); do
                id=$(wait_window "t.log") && xwininfo -id "$id" | grep -q "Depth: 32" && break
                sleep 0.1
            done
            xwininfo -id "$id" | grep -q "Depth: 32" || fail "not live after xcompmgr started"
            sleep 0.5
        fi
        [ "$(bounds_of "$id")" = "300,200 480x350" ] || fail "opened as $(bounds_of "$id") ($look)"
        xprop -id "$id" _NET_FRAME_EXTENTS | grep -q "= 0, 0, 0, 0" ||
            fail "decorated: $(xprop -id "$id" _NET_FRAME_EXTENTS)"

        drag 450 205 -100 50 # the title row
        [ "$(bounds_of "$id")" = "200,250 480x350" ] || fail "moved to $(bounds_of "$id") ($look)"
        drag $((200 + 480 - 5)) $((250 + 350 - 14)) 60 40 # the grip
        [ "$(bounds_of "$id")" = "200,250 540x390" ] || fail "grip made $(bounds_of "$id") ($look)"
        drag $((200 + 540 - 5)) $((250 + 195)) -40 30 # the right edge
        [ "$(bounds_of "$id")" = "200,250 500x390" ] || fail "edge made $(bounds_of "$id") ($look)"
        drags=$(($(grep -c "(_NET_WM_MOVERESIZE)" "$WORK/xev.log" || true) - before))
        [ "$drags" -ge 3 ] || fail "$drags of 3 drags went to openbox ($look)"
        # No drag of the program's own is left behind: a plain pointer move moves nothing.
        xdotool mousemove 400 255
        sleep 0.2
        xdotool mousemove 500 300
        sleep 0.3
        [ "$(bounds_of "$id")" = "200,250 500x390" ] || fail "hover moved it to $(bounds_of "$id")"

        close_window "$id"
        wait_end
        [ "$(stored_bounds)" = "200,250 500x390" ] || fail "stored $(stored_bounds) ($look)"
    done
    echo "openbox: ok"
fi

if has sway && has setpriv && has xhost; then
    # sway will not run as root; its own runtime folder then belongs to its user.
    swayRun=$WORK/sway
    mkdir -p "$swayRun"
    chmod o+x "$WORK"
    printf 'xwayland enable\noutput HEADLESS-1 resolution 1024x768\nexec sh -c "%s; %s"\n' \
        "xhost +si:localuser:$(id -un) >/dev/null" "env >$swayRun/env.tmp; mv $swayRun/env.tmp $swayRun/env" \
        >"$swayRun/config"
    asUser=()
    if [ "$(id -u)" = 0 ]; then
        asUser=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
        chown -R nobody: "$swayRun"
    fi
    chmod 700 "$swayRun"
    XDG_RUNTIME_DIR=$swayRun WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        "${asUser[@]}" sway -c "$swayRun/config" \
        >"$WORK/sway.log" 2>&1 &
    PIDS+=($!)
    for _ in $(seq 100); do [ -s "$swayRun/env" ] && break; sleep 0.1; done
    [ -s "$swayRun/env" ] || fail "sway did not start: $(tail -n 5 "$WORK/sway.log")"
    unset QT_QPA_PLATFORM
    DISPLAY=$(sed -n 's/^DISPLAY=//p' "$swayRun/env")
    export DISPLAY WAYLAND_DISPLAY=$swayRun/wayland-1

    # Through XWayland: an X11 window with the live look, tiled (maximised) by sway.
    write_ini Left=300 Top=200 Width=480 Height=350
    start_glimra "$WORK/t.log"
    id=$(wait_window "t.log" 20) || fail "no X11 window through sway's XWayland"
    xwininfo -id "$id" | grep -q "Depth: 32" || fail "no alpha channel under sway's XWayland"
    for _ in $(seq 30); do
        xprop -id "$id" _NET_WM_STATE | grep -q MAXIMIZED_HORZ && break
        sleep 0.1
    done
    [ "$(bounds_of "$id")" != "300,200 480x350" ] || fail "sway left the window untiled"
    kill -TERM "$GLIMRA_PID"
    wait_end
    [ "$(stored_bounds)" = "300,200 480x350" ] || fail "the tiled bounds were stored: $(stored_bounds)"

    # Natively: it starts, sway tiles it again without saying so, and a stop keeps the
    # stored bounds.
    QT_QPA_PLATFORM=wayland start_glimra "$WORK/t.log"
    sleep 3
    kill -0 "$GLIMRA_PID" 2>/dev/null || fail "native start under sway failed"
    # sway shows a window only once it has drawn a frame.
    SWAYSOCK=$(echo "$swayRun"/sway-ipc.*) swaymsg -t get_tree | grep -q '"shell": "xdg_shell"' ||
        fail "no native window drawn under sway"
    [ -z "$(xdotool search --name '^t.log' 2>/dev/null)" ] || fail "asked for Wayland, got X11"
    kill -TERM "$GLIMRA_PID"
    wait_end
    [ "$(stored_bounds)" = "300,200 480x350" ] || fail "native stop stored $(stored_bounds)"
    echo "sway: ok"
fi
