#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: core, offscreen GUI and
# the end-to-end tests under Xvfb; then the core tests again under the sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install_deps.sh"
bash "$root/scripts/build.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure -j 2 -LE e2e && ctest --output-on-failure -L e2e)
bash "$root/scripts/build.sh" "$root/build-sanitize" -DGLIMRA_CORE_ONLY=ON -DGLIMRA_SANITIZE=ON
(cd "$root/build-sanitize" && ctest --output-on-failure -j 2)
