#!/bin/sh
# Runs a test in a fresh sandbox: sandbox.sh DIR COMMAND ARGS...
# XDG_CONFIG_HOME, XDG_CONFIG_DIRS, TMPDIR and HOME point inside DIR, so no test sees the real
# home or the machine's system-wide lists.
set -e
dir=$1; shift
rm -rf "$dir"
mkdir -p "$dir/config" "$dir/tmp" "$dir/home" "$dir/sysreg"
export XDG_CONFIG_HOME="$dir/config" TMPDIR="$dir/tmp/" HOME="$dir/home" \
       QUILLMARK_SYSTEM_REGISTRY="$dir/sysreg" XDG_CONFIG_DIRS="$dir/xdg" LANG=C.UTF-8 LC_ALL=C.UTF-8 \
       QT_QPA_PLATFORM="${QM_TEST_QPA:-offscreen}"
exec "$@"
