#!/bin/bash
# Configures and builds the native tree (build/native) and the cross tree
# (build/windows). Pass "native" or "windows" to build only one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
which=${1:-all}

if [ "$which" = all ] || [ "$which" = native ]; then
    cmake -S "$root" -B "$root/build/native" -G "Unix Makefiles" >/dev/null
    cmake --build "$root/build/native" -j"$jobs"
fi
if [ "$which" = all ] || [ "$which" = windows ]; then
    cmake -S "$root" -B "$root/build/windows" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$root/build/windows" -j"$jobs"
fi
