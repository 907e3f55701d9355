#!/usr/bin/env bash
# Builds the packages in build/package: the Debian package
# kairos_<version>_<arch>.deb, and for Windows the portable
# kairos-<version>-win64.zip and the installer kairos-<version>-setup.exe
# (cross-built; a fresh machine first builds Qt for Windows, some 30
# minutes). Install the first with: sudo apt install ./build/package/kairos_*.deb
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/package"
"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAIROS_BUILD_TESTS=OFF \
  -DKAIROS_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
rm -f "$build"/kairos_*.deb
cmake --build "$build" --target package >/dev/null
ls "$build"/kairos_*.deb

"$root/scripts/windows-build.sh" >/dev/null
"$root/scripts/windows-package.sh" "$root/build/windows/stage" "$("$root/scripts/project-version.sh")" "$build"
