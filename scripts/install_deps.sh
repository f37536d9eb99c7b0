#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, if missing.
set -euo pipefail
packages=(cmake g++ make pkg-config libxxhash-dev qt6-base-dev qt6-qpa-plugins libqt6test6 libgl-dev
          libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-utils imagemagick
          fonts-ipafont-gothic libx11-dev libxcb1-dev xcompmgr weston xwayland qt6-wayland)
# The charset detector that reads logs in their own encodings.
packages+=(libuchardet-dev)
# Colour rules' expressions; a private session bus for the notification tests.
packages+=(libre2-dev dbus dbus-bin)
# A stacking window manager and a tiling compositor, for the drag and placement tests.
packages+=(openbox sway x11-xserver-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
