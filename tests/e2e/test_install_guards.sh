#!/usr/bin/env bash
# setup and UnInstall never delete or overwrite what they did not make and always finish
# what they start: relative and odd folder names, failed installs, second installs,
# symbolic links, files in the way and launchers that cannot be written.
source "$(dirname "$0")/lib.sh"
BUILD=$(cd "$(dirname "$GLIMRA_BIN")/.." && pwd)
DIST=$WORK/dist
export XDG_DATA_HOME=$WORK/home/.local/share XDG_DESKTOP_DIR=$WORK/home/Desktop # Qt: $HOME/Desktop
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_DESKTOP_DIR" "$XDG_DATA_HOME/applications"
MENU="$XDG_DATA_HOME/applications/GLIMRA 4th"
cmake --install "$BUILD" --prefix "$DIST" >"$WORK/install.log" 2>&1 || fail "cmake --install"
listing() { (cd "$WORK/home" && find . | sort); }
clean=$(listing)
assert_clean() { [ "$(listing)" = "$clean" ] || { diff <(echo "$clean") <(listing) >&2; fail "$1"; }; }
setup() { "$DIST/setup" --silent "$@"; }

# A relative folder is taken against where setup started, and an uninstall started
# elsewhere touches nothing of the same relative name there.
mkdir -p "$WORK/A" "$WORK/B/rel/Module"
for f in glimra4 UnInstall LICENSE.TXT GLIMRA.html Module/tessel.so; do echo mine >"$WORK/B/rel/$f"; done
(cd "$WORK/A" && setup --dir rel --no-desktop --no-sendto) || fail "relative install"
grep -qx "$WORK/A/rel/glimra4" "$WORK/A/rel/uninst.dat" || fail "record not absolute"
(cd "$WORK/B" && "$WORK/A/rel/UnInstall" --silent) || fail "uninstall from elsewhere"
[ ! -e "$WORK/A/rel" ] || fail "installation left: $(ls -A "$WORK/A/rel")"
for f in glimra4 UnInstall LICENSE.TXT GLIMRA.html Module/tessel.so; do
    [ "$(cat "$WORK/B/rel/$f")" = mine ] || fail "unrelated $f deleted"
done
assert_clean "relative install left launchers"

# "~" is the home folder; a name with a control character is refused before anything.
setup --dir '~/g4' --no-desktop --no-sendto || fail "install to ~/g4"
[ -x "$HOME/g4/glimra4" ] && grep -qx "$HOME/g4/UnInstall" "$HOME/g4/uninst.dat" || fail "~ not expanded"
"$HOME/g4/UnInstall" --silent || fail "uninstall ~/g4"
setup --dir "$WORK/home/bad"$'\n'name 2>"$WORK/err" && fail "newline in the folder name accepted"
setup --menu-dir "$WORK/home/m"$'\t'x --dir "$WORK/home/ok" && fail "tab in the menu folder accepted"
assert_clean "refused or finished installs left something"

# A failed copy takes back every file, launcher and folder it made, and says so.
cp -r "$DIST" "$WORK/dist2"
echo "missing.txt" >>"$WORK/dist2/setup.dat"
"$WORK/dist2/setup" --silent --dir "$WORK/home/app" 2>"$WORK/err" && fail "failed install exits 0"
grep -q "( 005)" "$WORK/err" || fail "no step code: $(cat "$WORK/err")"
assert_clean "failed install left something"
# So does a launcher that cannot be written (its folder is a file).
echo file >"$WORK/home/notafolder"
echo 'XDG_DESKTOP_DIR="$HOME/notafolder/Desktop"' >"$XDG_CONFIG_HOME/user-dirs.dirs"
setup --dir "$WORK/home/app" && fail "failed launcher exits 0"
rm "$WORK/home/notafolder" "$XDG_CONFIG_HOME/user-dirs.dirs"
assert_clean "failed launcher left something"

# A second install adds to the first record, so the uninstall still removes both folders.
setup --dir "$WORK/home/app" || fail "first install"
setup --dir "$WORK/home/app" --no-desktop || fail "second install"
grep -qx "$MENU" "$WORK/home/app/uninst.dat" || fail "second install dropped the created folders"
"$WORK/home/app/UnInstall" --silent || fail "uninstall after two installs"
assert_clean "two installs left something"

# Symbolic links are never written or deleted through.
echo victim >"$WORK/victim"
mkdir -p "$WORK/home/app"
ln -s "$WORK/victim" "$WORK/home/app/glimra4.part"
ln -s "$WORK/victim" "$WORK/home/app/uninst.dat"
ln -s "$WORK/victim" "$XDG_DESKTOP_DIR/GLIMRA 4th.desktop"
setup --dir "$WORK/home/app" 2>"$WORK/err" && fail "installed over links"
grep -q "uninst.dat" "$WORK/err" || fail "link in the way not named: $(cat "$WORK/err")"
setup --dir "$WORK/home/app" --force || fail "forced install"
[ "$(cat "$WORK/victim")" = victim ] || fail "written through a link"
[ -L "$WORK/home/app/glimra4.part" ] || fail "unrelated link replaced"
[ -f "$XDG_DESKTOP_DIR/GLIMRA 4th.desktop" ] && [ ! -L "$XDG_DESKTOP_DIR/GLIMRA 4th.desktop" ] ||
    fail "the link was not replaced by a launcher"
# An edited record naming a file outside: nothing is deleted at all.
cp "$WORK/home/app/uninst.dat" "$WORK/record"
sed -i "s|^\[SHORTCUT FILES\]\$|$WORK/victim\n&|" "$WORK/home/app/uninst.dat"
"$WORK/home/app/UnInstall" --silent 2>/dev/null && fail "record with a foreign file accepted"
[ -f "$WORK/victim" ] && [ -f "$WORK/home/app/glimra4" ] || fail "deleted from a refused record"
# A folder replaced by a link to a copy of its files: the copy stays.
cp "$WORK/record" "$WORK/home/app/uninst.dat"
mv "$WORK/home/app/SDK" "$WORK/sdk"
ln -s "$WORK/sdk" "$WORK/home/app/SDK"
"$WORK/home/app/UnInstall" --silent 2>"$WORK/err" || fail "uninstall of an install among links"
[ -f "$WORK/sdk/glimra_module.h" ] || fail "deleted through a linked folder"
grep -q "SDK/glimra_module.h" "$WORK/err" || fail "file behind a link not named"
[ "$(ls "$WORK/home/app" | tr '\n' ' ')" = "SDK glimra4.part " ] || fail "left: $(ls "$WORK/home/app")"
rm -r "$WORK/home/app" "$XDG_DESKTOP_DIR/GLIMRA 4th.desktop"
assert_clean "linked install left something"

# A file of the user's in the way stops a silent install; --force replaces it, and the
# uninstall then keeps it as the user's.
mkdir -p "$WORK/home/app"
echo "my licence" >"$WORK/home/app/LICENSE.TXT"
setup --dir "$WORK/home/app" 2>"$WORK/err" && fail "overwrote the user's file"
grep -q "$WORK/home/app/LICENSE.TXT" "$WORK/err" || fail "file in the way not named"
[ "$(cat "$WORK/home/app/LICENSE.TXT")" = "my licence" ] || fail "user's file changed"
[ "$(ls "$WORK/home/app")" = LICENSE.TXT ] || fail "refused install left files"
setup --dir "$WORK/home/app" --force || fail "forced install"
"$WORK/home/app/UnInstall" --silent 2>/dev/null || fail "uninstall after --force"
[ "$(ls "$WORK/home/app")" = LICENSE.TXT ] || fail "forced file not kept, or others left"
echo PASS
