#!/usr/bin/env bash
# cmake --install lays out the distribution folder; setup --silent installs from it
# into a private home; UnInstall --silent then removes exactly what was installed.
source "$(dirname "$0")/lib.sh"
BUILD=$(cd "$(dirname "$GLIMRA_BIN")/.." && pwd)
DIST=$WORK/dist
export XDG_DATA_HOME=$WORK/home/.local/share XDG_DESKTOP_DIR=$WORK/home/Desktop
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_DESKTOP_DIR" "$XDG_DATA_HOME/applications"

cmake --install "$BUILD" --prefix "$DIST" >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log" >&2; fail "cmake --install"; }
for f in setup setup.dat LICENSE.TXT GLIMRA.html glimra4 Module/tessel.so UnInstall SDK/glimra_module.h; do
    [ -f "$DIST/$f" ] || fail "distribution lacks $f"
done
[ "$(cat "$DIST/setup.dat")" = "$(printf 'glimra4\nUnInstall\nLICENSE.TXT\nGLIMRA.html\nModule/tessel.so\nSDK/glimra_module.h')" ] ||
    fail "setup.dat: $(cat "$DIST/setup.dat")"

before=$(cd "$WORK/home" && find . | sort)
"$DIST/setup" --silent 2>"$WORK/setup.err" || { cat "$WORK/setup.err" >&2; fail "setup --silent"; }

APPDIR="$XDG_DATA_HOME/GLIMRA 4th"
MENU="$XDG_DATA_HOME/applications/GLIMRA 4th"
for f in glimra4 UnInstall LICENSE.TXT Module/tessel.so SDK/glimra_module.h; do
    cmp -s "$DIST/$f" "$APPDIR/$f" || fail "installed $f differs"
done
[ -x "$APPDIR/glimra4" ] || fail "glimra4 not executable"
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
$MENU"
printf '%s\n' "$expected" >"$WORK/expected.dat"
cmp "$WORK/expected.dat" "$APPDIR/uninst.dat" ||
    { diff "$WORK/expected.dat" "$APPDIR/uninst.dat" >&2; fail "uninst.dat differs"; }

# Handed the distribution folder, UnInstall only checks the record.
"$APPDIR/UnInstall" "$DIST" || fail "UnInstall check"
[ -f "$APPDIR/uninst.dat" ] || fail "the check removed something"

# The program's settings store, made after the install, goes with it.
mkdir -p "$XDG_CONFIG_HOME/QUENTARO" && echo x >"$XDG_CONFIG_HOME/QUENTARO/GLIMRA4.conf"
"$APPDIR/UnInstall" --silent 2>"$WORK/uninstall.err" ||
    { cat "$WORK/uninstall.err" >&2; fail "UnInstall --silent"; }
after=$(cd "$WORK/home" && find . | sort)
[ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after") >&2; fail "uninstall left or took files"; }
[ ! -e "$XDG_CONFIG_HOME/QUENTARO" ] || fail "settings folder left"
[ -f "$DIST/setup.dat" ] || fail "distribution touched"

# Without shortcuts setup starts the installed program; settings that existed before
# and a file of the user's in the install folder survive the uninstall.
mkdir -p "$XDG_CONFIG_HOME/QUENTARO"
"$DIST/setup" --silent --no-desktop --no-sendto --no-menu 2>/dev/null || fail "second setup"
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
grep -qx "FALSE" "$APPDIR/uninst.dat" && fail "record says the store did not exist"
echo mine >"$APPDIR/notes.txt"
"$APPDIR/UnInstall" --silent 2>"$WORK/uninstall.err" && fail "uninstall reported success with a file left"
[ -f "$APPDIR/notes.txt" ] || fail "user's file removed"
[ -d "$XDG_CONFIG_HOME/QUENTARO" ] || fail "settings that existed before were removed"
grep -q "notes" "$WORK/uninstall.err" && fail "named an unlisted file"
[ ! -e "$APPDIR/glimra4" ] || fail "program left"
echo PASS
