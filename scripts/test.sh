#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds everything and runs every test: the Release build (windows on the offscreen platform,
# real-window tests under Xvfb, the Debian package's under label package), then the std-only
# core again under AddressSanitizer and UndefinedBehaviorSanitizer. Fails first when a source
# file is not formatted (sh scripts/format.sh formats them).
set -eu
cd "$(dirname "$0")/.."
. scripts/deps.sh
qm_need_packages $QM_BUILD_PACKAGES xvfb xauth xdotool xclip python3 openbox x11-utils fonts-dejavu-core \
    lintian vim neovim emacs-nox elpa-eglot clang-format acl attr doxygen
sh scripts/format.sh --check

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQM_CORE_ONLY=ON -DQM_SANITIZE=ON -DQM_BUILD_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
