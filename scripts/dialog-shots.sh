#!/usr/bin/env bash
# Opens every dialog page on a private virtual display with sample settings
# and alarms, and saves a picture of each in build/dialogs/ (or the folder
# given), so the look can be judged by eye.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
out="${1:-$root/build/dialogs}"
"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target kairos dialog_shots

xvfb_pid=
cleanup() { [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT

display=$("$root/scripts/free-display.sh")
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$out"
env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY -u LC_ALL -u LC_TIME DISPLAY="$display" QT_QPA_PLATFORM=xcb \
  LANG=ja_JP.UTF-8 "$build/bin/dialog_shots" "$out" "$build/bin/kairos"
