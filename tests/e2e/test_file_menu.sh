#!/usr/bin/env bash
# The File menu as a person uses it: it opens over the window; Save File. writes the
# lines with CR LF; Open File. and F1 go to the desktop's opener (a fake xdg-open here),
# F1 only while the manual is not open; NEW opens a window; CLOSE. closes one.
source "$(dirname "$0")/lib.sh"

cp "$(dirname "$GLIMRA_BIN")/GLIMRA.html" "$WORK/app/" || fail "the manual is not beside the program"
mkdir -p "$WORK/bin"
printf '#!/bin/sh\necho "$@" >> %s/opened\n' "$WORK" >"$WORK/bin/xdg-open"
chmod +x "$WORK/bin/xdg-open"
export PATH=$WORK/bin:$PATH

log=$WORK/menu.log
printf '1\n2\n3\n' >"$log"
write_ini Left=100 Top=100 Width=480 Height=350
start_backdrop 808080
start_glimra "$log"
id=$(wait_window "menu.log") || fail "window did not open"
focus_window "$id"
sleep 1.5
read -r wx wy < <(window_origin "$id")

# Opens the File menu of the window at (x, y) and measures its rows: the menu halves
# the grey under it, and its height is nine rows and 4 pixels.
open_menu() {
    click_until_changed $(($1 + 60)) $(($2 + 20)) 60 60 $(($1 + 24)) $(($2 + 30)) ||
        fail "the File menu did not open"
    import -window root "$WORK/shot.png"
    local bottom
    bottom=$(convert "$WORK/shot.png" -crop "1x300+$(($1 + 28))+$(($2 + 28))" -depth 8 txt:- |
        sed -nE 's/^0,([0-9]+): \(([0-9]+),.*/\1 \2/p' |
        awk 'NR == 1 { dark = $2 } $2 > dark + 15 { print $1; exit }')
    [ -n "$bottom" ] || fail "no end of the menu found"
    ROW=$(((bottom + 1 - 4) / 9))
    [ "$ROW" -ge 8 ] && [ "$ROW" -le 40 ] || fail "menu row height $ROW"
}
# Clicks row n of the menu of the window at (x, y).
click_row() {
    xdotool mousemove $(($1 + 50)) $(($2 + 27 + $3 * ROW + ROW / 2))
    sleep 0.3
    xdotool click 1
}

# Save File.: the dialog starts on the file; a new name and Return save it.
open_menu "$wx" "$wy"
click_row "$wx" "$wy" 2
dialog=$(wait_window "File Information") || fail "the file dialog did not open"
focus_window "$dialog"
sleep 0.5
xdotool type "saved.log"
xdotool key Return
for _ in $(seq 50); do [ -s "$WORK/saved.log" ] && break; sleep 0.1; done
[ "$(od -An -c "$WORK/saved.log" | tr -s ' ')" = "$(printf '1\r\n2\r\n3\r\n' | od -An -c | tr -s ' ')" ] ||
    fail "saved: $(od -c "$WORK/saved.log" 2>&1)"
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name '^File Information' 2>/dev/null)" ] ||
    fail "the dialog stayed open"

# Open File.: the folder of the file goes to the desktop's opener.
focus_window "$id"
sleep 0.5
open_menu "$wx" "$wy"
click_row "$wx" "$wy" 1
for _ in $(seq 50); do [ -s "$WORK/opened" ] && break; sleep 0.1; done
grep -q "$WORK" "$WORK/opened" || fail "Open File. asked for: $(cat "$WORK/opened" 2>&1)"
grep -q "saved.log\|menu.log" "$WORK/opened" && fail "Open File. opened a file, not its folder"

# F1 opens the manual beside the program, but not while a manual window is open.
focus_window "$id"
sleep 0.3
xdotool key F1
for _ in $(seq 50); do grep -q GLIMRA.html "$WORK/opened" && break; sleep 0.1; done
grep -q "$WORK/app/GLIMRA.html" "$WORK/opened" || fail "F1 asked for: $(cat "$WORK/opened")"
xmessage -title "GLIMRA operation manual - viewer" "manual" &
PIDS+=($!)
for _ in $(seq 50); do
    xdotool search --name "GLIMRA operation manual" >/dev/null 2>&1 && break
    sleep 0.1
done
focus_window "$id"
sleep 0.3
before=$(grep -c GLIMRA.html "$WORK/opened")
xdotool key F1
sleep 1.5
[ "$(grep -c GLIMRA.html "$WORK/opened")" = "$before" ] || fail "F1 opened a second manual"

# NEW opens a window; CLOSE. in it closes it again.
[ "$(count_windows)" = 1 ] || fail "$(count_windows) windows before NEW"
focus_window "$id"
sleep 0.5
open_menu "$wx" "$wy"
click_row "$wx" "$wy" 0
for _ in $(seq 50); do [ "$(count_windows)" = 2 ] && break; sleep 0.1; done
[ "$(count_windows)" = 2 ] || fail "NEW did not open a window"
sleep 1
read -r nx ny < <(window_origin "$(xdotool search --onlyvisible --classname glimra4 | while read -r w; do
    [ "$(window_origin "$w")" != "$wx $wy" ] && echo "$w"; done | head -n1)")
open_menu "$nx" "$ny"
click_row "$nx" "$ny" 8
for _ in $(seq 50); do [ "$(count_windows)" = 1 ] && break; sleep 0.1; done
[ "$(count_windows)" = 1 ] || fail "CLOSE. did not close the window"
kill -0 "$GLIMRA_PID" 2>/dev/null || fail "the program ended with a window left"
echo "file menu: ok (row height $ROW)"
