#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMRA_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
