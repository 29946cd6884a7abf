#!/bin/sh
# Runs a test in a fresh sandbox: sandbox.sh DIR COMMAND ARGS...
# XDG_CONFIG_HOME, TMPDIR and HOME point inside DIR, so no test sees the real home.
set -e
dir=$1; shift
rm -rf "$dir"
mkdir -p "$dir/config" "$dir/tmp" "$dir/home" "$dir/sysreg"
export XDG_CONFIG_HOME="$dir/config" TMPDIR="$dir/tmp/" HOME="$dir/home" \
       QUILLMARK_SYSTEM_REGISTRY="$dir/sysreg" LANG=C.UTF-8 LC_ALL=C.UTF-8 \
       QT_QPA_PLATFORM="${QM_TEST_QPA:-offscreen}"
exec "$@"
