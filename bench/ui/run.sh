#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the window benchmarks in Release and runs them headless: bench/ui/run.sh [BUILD_DIR] [RUNS]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-bench-ui}
runs=${2:-30}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF \
      -DQM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target ui_copy_bench ui_startup_bench -j2 >/dev/null

# A scratch home: no settings file is read from, or written to, the real one.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" TMPDIR="$scratch/" \
       QT_QPA_PLATFORM=offscreen

echo "== CopyComments, worked example (goal < 2 ms) =="
"$build/bench/ui/ui_copy_bench"
echo
echo "== start-up (goal <= 1.5x the empty window) =="
"$build/bench/ui/ui_startup_bench" "$runs"
