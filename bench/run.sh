#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the benchmarks in Release and runs them all: bench/run.sh [BUILD_DIR]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQM_CORE_ONLY=ON \
      -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target qm_core_bench qm_reader_bench qm_qmark_bench qm_qmark_process_bench qm_sync_bench qm_style_check_bench qm_server_bench qm_qmark -j2 >/dev/null

# Scratch files of the benchmarks go to a directory of their own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch/"

echo "== core =="
"$build/bench/core_bench"
echo
echo "== qmark check over a generated tree =="
"$build/bench/sync_bench"
echo
echo "== qmark check next to cat over the 1,000,000-line tree =="
sh "$root/bench/check_vs_cat.sh" "$build/app/qmark/qmark" "${TMPDIR}qm-sync-bench-1000000"
echo
echo "== qmark lsp: diagnostics after a change, code actions, 100 open files =="
"$build/bench/server_bench"
echo
echo "== qmark reading JSON =="
"$build/bench/qmark_bench"
echo
echo "== process start-up: qmark block and qmark header vs cat, mean wall time per run =="
"$build/bench/qmark_process_bench" 1000
echo
echo "== qmark check in a house-style project vs cat of the same files =="
"$build/bench/style_check_bench" 200
