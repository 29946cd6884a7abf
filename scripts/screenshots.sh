#!/bin/sh
# SPDX-License-Identifier: MIT
# Pictures of every window for docs/screenshots: builds the tool `shoot` and runs it
# under Xvfb (on Qt's offscreen platform when Xvfb is missing), with a settings file of its own
# so the real home is never read.
#   sh scripts/screenshots.sh [OUTPUT_DIR]      (default docs/screenshots; build dir: $QM_BUILD_DIR or build)
set -eu
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
build=${QM_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target qm_shoot -j"$(nproc 2>/dev/null || echo 2)" >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/qmshots.XXXXXX")
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP PIPE

mkdir -p "$work/config/quillmark" "$work/home" "$work/tmp"
printf '[General]\r\nPersonal Name=A. Developer\r\nComments Type=0\r\n[Param Types VB]\r\nNumber=4\r\nParam1=Boolean\r\nParam2=Currency\r\nParam3=Long\r\nParam4=String\r\n' \
    >"$work/config/quillmark/Qmark98.ini"

platform=offscreen
if command -v Xvfb >/dev/null 2>&1; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    i=0
    while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do i=$((i + 1)); sleep 0.1; done
    if [ -s "$work/display" ]; then
        DISPLAY=:$(head -n 1 "$work/display")
        export DISPLAY
        platform=xcb
    else
        echo "Xvfb did not start; using the offscreen platform" >&2
    fi
fi

mkdir -p "$out"
XDG_CONFIG_HOME="$work/config" HOME="$work/home" TMPDIR="$work/tmp/" LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    QT_QPA_PLATFORM=$platform timeout 60 "$build/tools/shoot/shoot" "$out"
