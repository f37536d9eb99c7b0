#!/usr/bin/env bash
# cpack -G DEB: the program folder under /opt/glimra4 with a desktop entry and an icon,
# and without the installer; it pulls in the Japanese font.
source "$(dirname "$0")/lib.sh"
BUILD=$(cd "$(dirname "$GLIMRA_BIN")/.." && pwd)
(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/pkg") \
    >"$WORK/cpack.log" 2>&1 || { cat "$WORK/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$WORK"/pkg/*.deb) || fail "no package"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort >"$WORK/contents"
printf '%s\n' ./opt/glimra4/GLIMRA.html ./opt/glimra4/LICENSE.TXT ./opt/glimra4/Module/tessel.so \
    ./opt/glimra4/SDK/glimra_module.h ./opt/glimra4/glimra4 \
    ./usr/share/applications/glimra4.desktop \
    ./usr/share/icons/hicolor/scalable/apps/glimra4.svg | sort >"$WORK/expected"
diff "$WORK/expected" "$WORK/contents" >&2 || fail "package contents"
# The default fonts map to IPA Gothic; without it every Japanese text is boxes.
dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep -qx " *fonts-ipafont-gothic" ||
    fail "no dependency on fonts-ipafont-gothic: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$WORK/root"
grep -qx "Exec=/opt/glimra4/glimra4 %f" "$WORK/root/usr/share/applications/glimra4.desktop" ||
    fail "desktop entry does not start the program"
echo PASS
