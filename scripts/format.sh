#!/bin/sh
# SPDX-License-Identifier: MIT
# Formats every C++ source with the root .clang-format; --check only reports files that differ
# (exit 1). Sample sources under tests/data carry a .clang-format that leaves them alone.
set -eu
cd "$(dirname "$0")/.."
if [ -d .git ] || git rev-parse --git-dir >/dev/null 2>&1; then
    files=$(git ls-files '*.cpp' '*.h')
else
    files=$(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
if [ "${1:-}" = --check ]; then
    # shellcheck disable=SC2086
    clang-format --dry-run --Werror $files || {
        echo "Some files are not formatted: run sh scripts/format.sh" >&2
        exit 1
    }
else
    # shellcheck disable=SC2086
    clang-format -i $files
fi
