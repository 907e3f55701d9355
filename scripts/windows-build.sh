#!/usr/bin/env bash
# Cross-builds Kairos and its tests for Windows with MinGW-w64 into
# build/windows, with Qt for Windows from scripts/build-qt-windows.sh (built
# there once per machine), and stages the program folder a user gets
# (kairos.exe with its DLLs, plugins and help) in build/windows/stage.
# `ctest` in build/windows runs the tests under wine, each program in the
# folder's own wine prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows

qt=$("$root/scripts/build-qt-windows.sh")
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DKAIROS_QT_WINDOWS="$qt" -DCMAKE_BUILD_TYPE=Release \
  -DKAIROS_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
# A fresh folder: a file no longer installed must not linger in the packages.
rm -rf "$build/stage"
cmake --install "$build" --prefix "$build/stage" >/dev/null
# Without their symbols the DLLs are a third of their size; the program's
# crashes are read with the build folder's unstripped copy.
find "$build/stage" \( -name '*.dll' -o -name '*.exe' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
