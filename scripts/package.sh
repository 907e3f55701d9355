#!/usr/bin/env bash
# Builds the Debian package: build/package/kairos_<version>_<arch>.deb.
# Install it with: sudo apt install ./build/package/kairos_*.deb
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/package"
"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAIROS_BUILD_TESTS=OFF \
  -DKAIROS_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
rm -f "$build"/kairos_*.deb
cmake --build "$build" --target package >/dev/null
ls "$build"/kairos_*.deb
