#!/usr/bin/env bash
# Cross-builds Kairos and its tests for Windows with MinGW-w64 into
# build/windows, with Qt for Windows from scripts/build-qt-windows.sh (built
# there once per machine). `ctest` in that folder runs the tests under wine,
# each program in the folder's own wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows

qt=$("$root/scripts/build-qt-windows.sh")
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DKAIROS_QT_WINDOWS="$qt" -DCMAKE_BUILD_TYPE=Release \
  -DKAIROS_BUILD_UI=OFF -DKAIROS_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
