#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the window benchmarks in Release and runs them headless:
#   bench/ui/run.sh [BUILD_DIR] [RUNS] [PLATFORM]
# PLATFORM is offscreen (the default) or xcb, which runs everything on a private Xvfb.
# A new BUILD_DIR is configured without the tests; an existing one keeps its own settings.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-ui}
runs=${2:-30}
platform=${3:-offscreen}

if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DQM_BUILD_BENCH=ON >/dev/null
else
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF \
          -DQM_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" --target qm_ui_copy_bench qm_ui_startup_bench -j2 >/dev/null

# A scratch home: no settings file is read from, or written to, the real one.
scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP
mkdir -p "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" TMPDIR="$scratch/" \
       QT_QPA_PLATFORM="$platform"

case "$platform" in
offscreen) ;;
xcb)
    command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is missing (Debian: xvfb)" >&2; exit 1; }
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
    xvfb_pid=$!
    i=0
    while [ ! -s "$scratch/display" ] && [ $i -lt 100 ]; do i=$((i + 1)); sleep 0.1; done
    [ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=:$(head -n 1 "$scratch/display")
    export DISPLAY
    ;;
*) echo "unknown platform '$platform' (offscreen or xcb)" >&2; exit 2 ;;
esac

echo "== CopyComments, worked example (goal < 2 ms) =="
"$build/bench/ui/ui_copy_bench"
echo
echo "== start-up on $platform (goal <= 1.5x the empty window's time, <= 1.3x its memory) =="
"$build/bench/ui/ui_startup_bench" "$runs"
