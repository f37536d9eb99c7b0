#!/usr/bin/env bash
# cmake --install lays out the distribution folder; setup --silent installs from it into a
# private home; the installed program runs once; UnInstall --silent then removes exactly
# what setup made, and the settings the program wrote, and nothing else.
source "$(dirname "$0")/lib.sh"
BUILD=$(cd "$(dirname "$GLIMRA_BIN")/.." && pwd)
DIST=$WORK/dist
export XDG_DATA_HOME=$WORK/home/.local/share XDG_DESKTOP_DIR=$WORK/home/Desktop
export XDG_STATE_HOME=$WORK/home/.local/state
mkdir -p "$XDG_DESKTOP_DIR" "$XDG_DATA_HOME/applications"
APPDIR="$XDG_DATA_HOME/GLIMRA 4th"
MENU="$XDG_DATA_HOME/applications/GLIMRA 4th"

cmake --install "$BUILD" --prefix "$DIST" >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log" >&2; fail "cmake --install"; }
for f in setup setup.dat LICENSE.TXT GLIMRA.html glimra4 Module/tessel.so UnInstall SDK/glimra_module.h; do
    [ -f "$DIST/$f" ] || fail "distribution lacks $f"
done
[ "$(cat "$DIST/setup.dat")" = "$(printf 'glimra4\nUnInstall\nLICENSE.TXT\nGLIMRA.html\nModule/tessel.so\nSDK/glimra_module.h')" ] ||
    fail "setup.dat: $(cat "$DIST/setup.dat")"

before=$(cd "$WORK/home" && find . | sort)
# As root, only an explicit folder: root's own home is rarely what is meant.
if [ "$(id -u)" = 0 ]; then
    QT_QPA_PLATFORM=offscreen "$DIST/setup" --silent 2>"$WORK/setup.err" && fail "root install without --dir"
    [ "$before" = "$(cd "$WORK/home" && find . | sort)" ] || fail "refused root install made something"
fi
# Folders and files are readable by all whatever the umask.
(umask 077 && QT_QPA_PLATFORM=offscreen "$DIST/setup" --silent --dir "$APPDIR" 2>"$WORK/setup.err") ||
    { cat "$WORK/setup.err" >&2; fail "setup --silent"; }
if [ "$(id -u)" = 0 ]; then
    grep -q "$HOME" "$WORK/setup.err" || fail "root install does not say whose launchers it writes"
fi
[ "$(stat -c %a "$APPDIR" "$APPDIR/Module" "$APPDIR/glimra4" "$APPDIR/LICENSE.TXT" | tr '\n' ' ')" = "755 755 755 644 " ] ||
    fail "modes: $(stat -c '%a %n' "$APPDIR" "$APPDIR/Module" "$APPDIR/glimra4" "$APPDIR/LICENSE.TXT")"
for f in glimra4 UnInstall LICENSE.TXT Module/tessel.so SDK/glimra_module.h; do
    cmp -s "$DIST/$f" "$APPDIR/$f" || fail "installed $f differs"
done
for link in "$XDG_DATA_HOME/applications/GLIMRA 4th.desktop" "$MENU/GLIMRA 4th.desktop" \
    "$MENU/アンインストール.desktop" "$XDG_DESKTOP_DIR/GLIMRA 4th.desktop"; do
    [ -x "$link" ] || fail "shortcut $link missing or not executable"
    grep -qx "Path=$APPDIR/" "$link" || fail "$link: wrong Path"
done
grep -qx "Exec=\"$APPDIR/glimra4\"" "$XDG_DESKTOP_DIR/GLIMRA 4th.desktop" || fail "desktop Exec"
grep -qx "Exec=\"$APPDIR/UnInstall\"" "$MENU/アンインストール.desktop" || fail "uninstall Exec"
grep -qx "MimeType=text/plain;" "$XDG_DATA_HOME/applications/GLIMRA 4th.desktop" ||
    fail "send-to entry does not offer text files"

expected="[APPLICATION FILES]
$APPDIR/glimra4
$APPDIR/UnInstall
$APPDIR/LICENSE.TXT
$APPDIR/GLIMRA.html
$APPDIR/Module/tessel.so
$APPDIR/SDK/glimra_module.h
[SHORTCUT FILES]
$XDG_DATA_HOME/applications/GLIMRA 4th.desktop
$MENU/GLIMRA 4th.desktop
$MENU/アンインストール.desktop
$XDG_DESKTOP_DIR/GLIMRA 4th.desktop
[UNINSTALL INFO]
FALSE
[DIRECTORIES]
$APPDIR
$MENU
$APPDIR/Module
$APPDIR/SDK
[FILE HASHES]"
sed '/^\[FILE HASHES\]$/q' "$APPDIR/uninst.dat" >"$WORK/record.head"
printf '%s\n' "$expected" | diff - "$WORK/record.head" >&2 || fail "uninst.dat differs"
[ "$(sed -n '/^\[FILE HASHES\]$/,$p' "$APPDIR/uninst.dat" | grep -cE '^[0-9a-f]{16} /')" = 10 ] ||
    fail "not one hash per file"

# Handed the distribution folder, UnInstall only checks the record, --silent or not.
"$APPDIR/UnInstall" "$DIST" || fail "UnInstall check"
"$APPDIR/UnInstall" --silent "$DIST" 2>/dev/null || fail "UnInstall --silent check"
[ -f "$APPDIR/glimra4" ] && [ -f "$APPDIR/uninst.dat" ] || fail "the check removed something"

# The program runs once from the installation; its settings go to the store (Yes to the
# question), beside a file another program keeps there.
"$APPDIR/glimra4" >"$WORK/glimra.out" 2>&1 &
GLIMRA_PID=$!
PIDS+=("$GLIMRA_PID")
q=$(wait_window "4th Glimra" 15) || fail "no settings question"
xdotool windowfocus --sync "$q" key Return 2>/dev/null || xdotool key Return
for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --classname glimra4 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && break
    sleep 0.2
done
[ -n "$id" ] || fail "installed program showed no window"
echo "x" >"$XDG_CONFIG_HOME/QUENTARO/OTHER.conf"
close_window "$id"
for _ in $(seq 60); do kill -0 "$GLIMRA_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GLIMRA_PID" 2>/dev/null && fail "program did not end"
[ -f "$XDG_CONFIG_HOME/QUENTARO/GLIMRA4.conf" ] || fail "program wrote no settings to the store"
cp "$XDG_CONFIG_HOME/QUENTARO/GLIMRA4.conf" "$WORK/settings.conf"
[ -e "$APPDIR/UnInst.dat" ] && fail "the program wrote UnInst.dat into the installation"

# The next command and the comparison after it need the crash record outside the
# installation folder (the module issue moves it to $XDG_STATE_HOME/glimra4); until then
# Module/crash.rec stays behind and keeps the folder.
"$APPDIR/UnInstall" --silent 2>"$WORK/uninstall.err" ||
    { cat "$WORK/uninstall.err" >&2; find "$APPDIR" >&2; fail "UnInstall --silent after a run"; }
after=$(cd "$WORK/home" && find . | grep -v '^./.local/state' | sort)
[ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after") >&2; fail "uninstall left or took files"; }
[ "$(ls "$XDG_CONFIG_HOME/QUENTARO")" = OTHER.conf ] || fail "settings folder: $(ls "$XDG_CONFIG_HOME/QUENTARO")"
[ -f "$DIST/setup.dat" ] || fail "distribution touched"

# Without shortcuts setup starts the installed program; settings that existed before
# survive the uninstall, and a file of the user's keeps the folder, the uninstaller and
# the record of what is left, so a second run finishes once the file is gone.
cp "$WORK/settings.conf" "$XDG_CONFIG_HOME/QUENTARO/GLIMRA4.conf"
QT_QPA_PLATFORM=offscreen "$DIST/setup" --silent --dir "$APPDIR" --no-desktop --no-sendto --no-menu \
    2>/dev/null || fail "second setup"
started=
for _ in $(seq 50); do
    for exe in /proc/[0-9]*/exe; do
        [ "$(readlink "$exe" 2>/dev/null)" = "$APPDIR/glimra4" ] || continue
        pid=${exe#/proc/}; pid=${pid%/exe}; started=$pid; PIDS+=("$pid")
    done
    [ -n "$started" ] && break
    sleep 0.1
done
[ -n "$started" ] || fail "setup did not start the program without shortcuts"
kill "$started"
for _ in $(seq 50); do kill -0 "$started" 2>/dev/null || break; sleep 0.1; done
grep -qx "TRUE" "$APPDIR/uninst.dat" || fail "record says the store did not exist"
echo mine >"$APPDIR/notes.txt"
"$APPDIR/UnInstall" --silent 2>"$WORK/uninstall.err" && fail "uninstall reported success with a file left"
[ -f "$APPDIR/notes.txt" ] || fail "user's file removed"
[ -f "$XDG_CONFIG_HOME/QUENTARO/GLIMRA4.conf" ] || fail "settings that existed before were removed"
[ ! -e "$APPDIR/glimra4" ] || fail "program left"
# Needs the crash record outside the installation folder too (Module/ would be left).
[ "$(ls "$APPDIR" | sort | tr '\n' ' ')" = "UnInstall notes.txt uninst.dat " ] ||
    fail "left for a second run: $(ls "$APPDIR")"
rm "$APPDIR/notes.txt"
"$APPDIR/UnInstall" --silent 2>"$WORK/uninstall.err" || { cat "$WORK/uninstall.err" >&2; fail "second UnInstall"; }
[ ! -e "$APPDIR" ] || fail "installation folder left after the second run: $(ls -A "$APPDIR")"
echo PASS
