#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds Quillmark 98 and starts it.
set -eu
cd "$(dirname "$0")/.."
. scripts/deps.sh
qm_need_packages $QM_BUILD_PACKAGES
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: Quillmark 98 needs a desktop session (DISPLAY or WAYLAND_DISPLAY)." >&2
    echo "Without one, the command-line generator works: build/app/qmark/qmark --help" >&2
    exit 1
fi
exec build/app/quillmark/quillmark "$@"
