#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
# ccache, when present, makes rebuilds in several work trees cheap.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMRA_WERROR=ON "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
