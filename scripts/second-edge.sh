#!/usr/bin/env bash
# How late each new second reaches the screen, over [seconds] (300 by
# default): the clock that ticks only when something can change, and beside
# it in the same program the clock on a fixed 10 ms tick, both with the
# default templates on a private virtual display. Each paint of a new time
# line is measured from the start of its wall-clock second.
set -euo pipefail

seconds=${1:-300}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds]   (a whole number, 300 by default)" >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"

# shellcheck source=scripts/own-children.sh
source "$root/scripts/own-children.sh"
build_bench_program second-edge "$build" Release second_edge
exe="$build/bench/second_edge"

start_measuring second-edge

home="$tmp/home"
runtime="$tmp/run"
mkdir -p "$home" "$runtime"
chmod 700 "$runtime"

echo "Measuring for $seconds s on $display ..." >&2
env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY -u SESSION_MANAGER \
  DISPLAY="$display" QT_QPA_PLATFORM=xcb HOME="$home" XDG_RUNTIME_DIR="$runtime" \
  "$exe" "$seconds" &
program=$!
wait "$program"
program=
