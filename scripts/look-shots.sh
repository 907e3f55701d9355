#!/usr/bin/env bash
# Starts the clock on a private virtual display with a few settings files,
# one after the other, and saves a screenshot of each in build/look/, so the
# look can be checked by eye.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
out="$root/build/look"
"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target kairos

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kairos-look.XXXXXX")
xvfb_pid=
clock_pid=
cleanup() {
  [[ -n "$clock_pid" ]] && kill "$clock_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

display=$("$root/scripts/free-display.sh")
# -noreset: the desktop colour set below must outlive its setter's connection.
Xvfb "$display" -screen 0 640x360x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A blue desktop, so that the window's frame and translucency show.
DISPLAY=$display xsetroot -solid '#3a6ea5'

# Each look runs from its own folder: the settings file lives beside the program.
shoot() {
  local name=$1 settings=$2 folder="$tmp/$1"
  mkdir -p "$folder/run" && chmod 700 "$folder/run"
  cp "$build/bin/kairos" "$folder/kairos"
  printf '%s' "$settings" >"$folder/kairos.ini"
  convert -size 10x10 xc:'#ffe0a0' -fill '#e0b060' -draw 'rectangle 0,0 4,4' -draw 'rectangle 5,5 9,9' \
    "BMP3:$folder/tile.bmp"
  env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY -u LC_ALL -u LC_TIME DISPLAY="$display" QT_QPA_PLATFORM=xcb LANG=ja_JP.UTF-8 \
    HOME="$folder" XDG_RUNTIME_DIR="$folder/run" "$folder/kairos" >"$folder/log" 2>&1 &
  clock_pid=$!
  sleep 2
  kill -0 "$clock_pid" 2>/dev/null || { echo "look-shots: kairos ended early:" >&2; cat "$folder/log" >&2; exit 1; }
  DISPLAY=$display import -window root -crop 480x160+0+0 "$out/$name.png"
  kill "$clock_pid" && wait "$clock_pid" 2>/dev/null || true
  clock_pid=
  echo "$out/$name.png"
}

mkdir -p "$out"
crlf() { sed 's/$/\r/'; }
shoot defaults "$(printf '[General]\nPoint=20,20\n' | crlf)"
shoot red-shadow-40pt "$(printf '[General]\nPoint=20,20\nBackColor=clMaroon\n[Font]\nDateSize=40\nTimeSize=40\nDateColor=clWhite\nTimeColor=clWhite\nDateShadow=1\nTimeShadow=1\nDateShadowColor=clBlack\nTimeShadowColor=clBlack\n' | crlf)"
shoot tiled "$(printf '[General]\nPoint=20,20\nBGImage=%%APPLICATION%%/tile.bmp\nTimeFormat=hh:nn:ss%%ndddd\n' | crlf)"
# Translucency needs a compositing window manager; a bare Xvfb has none, so
# this shot shows the window opaque while it asks for 60 % opacity.
shoot translucent "$(printf '[General]\nPoint=20,20\nTransparency=153\nDateFormat=yyyy年m月d日(ddd)\n' | crlf)"
