#!/usr/bin/env bash
# Runs a Windows program under wine in a private prefix, the first argument,
# which is made on first use. Wine's own messages are kept quiet; the
# program's output and exit code come through.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all
# No Mono or Gecko download prompt: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$prefix/.kairos-ready" ]]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [[ ! -f "$prefix/.kairos-ready" ]]; then
      wineboot --init >/dev/null 2>&1
      wineserver --wait
      touch "$prefix/.kairos-ready"
    fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"
