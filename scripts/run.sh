#!/usr/bin/env bash
# Builds Kairos and starts the clock. Without a display it starts it on a
# virtual one (Xvfb), saves a screenshot and prints where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release --target kairos
exe=$PWD/build/release/bin/kairos

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  # On Wayland too the clock runs through XWayland, where it can place itself.
  QT_QPA_PLATFORM=xcb exec "$exe"
fi

display=$(scripts/free-display.sh)
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
clock_pid=
cleanup() {
  [[ -n "$clock_pid" ]] && kill "$clock_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

DISPLAY=$display QT_QPA_PLATFORM=xcb "$exe" &
clock_pid=$!
sleep 3
kill -0 "$clock_pid" 2>/dev/null || { echo "kairos ended early" >&2; exit 1; }
shot=$PWD/build/screenshot.png
DISPLAY=$display import -window root "$shot"
echo "Kairos runs on the virtual display $display. Screenshot: $shot"

if [[ -t 0 ]]; then
  echo "Press Ctrl+C to stop it."
  wait "$clock_pid"
fi
