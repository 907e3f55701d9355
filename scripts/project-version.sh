#!/usr/bin/env bash
# Prints the project's version, as the top CMakeLists.txt declares it.
set -euo pipefail
sed -nE 's/^project\(Kairos VERSION ([0-9.]+).*/\1/p' "$(dirname "$0")/../CMakeLists.txt"
