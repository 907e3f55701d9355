#!/usr/bin/env bash
# Builds the clock with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer, lets it tick for a few seconds on a private
# virtual display, starts a clock correction against a server that never
# answers and, while it waits, ends the clock the way a user does: a right
# click on the clock and "終了(&X)" from its menu. Fails when LeakSanitizer or
# UBSan reports anything, or the program does not end at once with exit code 0.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KAIROS_LEAK_BUILD:-$root/build/asan}
# shellcheck source=scripts/clock-guard.sh
source "$root/scripts/clock-guard.sh"
tick_seconds=3
patience=60

"$root/scripts/install-deps.sh"
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKAIROS_SANITIZE=address,undefined \
  -DKAIROS_BUILD_UI=ON -DKAIROS_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target kairos >/dev/null

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kairos-leak-check.XXXXXX")
app=$tmp/app
xvfb_pid=
clock_pid=
silent_pid=
cleanup() {
  local pid
  for pid in $clock_pid $xvfb_pid $silent_pid; do kill "$pid" 2>/dev/null || true; done
  for pid in $clock_pid $xvfb_pid $silent_pid; do
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
  echo "leak-check: FAILED: $*" >&2
  if [[ -s "$tmp/kairos.log" ]]; then
    echo "leak-check: the clock's output:" >&2
    sed 's/^/  /' "$tmp/kairos.log" | tail -n 80 >&2
  fi
  exit 1
}

display=$("$root/scripts/free-display.sh")
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >"$tmp/Xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $display: $(cat "$tmp/Xvfb.log")"
export DISPLAY=$display

# A copy of its own, so its settings live beside it and not in the build.
mkdir -p "$app" "$tmp/home" "$tmp/config" "$tmp/run"
chmod 700 "$tmp/run"
cp "$build/bin/kairos" "$app/kairos"
# A time server on loopback that takes every request and answers none.
/usr/bin/python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1], flush=True)
time.sleep(3600)' >"$tmp/silent-port" &
silent_pid=$!
for _ in $(seq 50); do [[ -s "$tmp/silent-port" ]] && break; sleep 0.1; done
[[ -s "$tmp/silent-port" ]] || fail "the silent server did not start"
# Only that server, and only for a correction started by hand.
printf '[General]\r\nPoint=20,20\r\nNTPAddress=127.0.0.1:%s\r\nAutoNTP=0\r\n' "$(cat "$tmp/silent-port")" \
  >"$app/kairos.ini"

clock_guard_init "$tmp"
started=$SECONDS
# No session bus either: not the user's, and not one that libdbus would
# launch through the display when the address is missing.
env -u WAYLAND_DISPLAY -u SESSION_MANAGER -u XDG_DATA_HOME -u XDG_CACHE_HOME \
  -u XDG_STATE_HOME -u PULSE_SERVER QT_QPA_PLATFORM=xcb HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" \
  XDG_RUNTIME_DIR="$tmp/run" DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-session-bus" \
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "${guarded[@]}" "$app/kairos" >"$tmp/kairos.log" 2>&1 &
clock_pid=$!
clock_guard_check "$clock_pid" "$app/kairos"

visible() { xdotool search --onlyvisible --pid "$clock_pid" 2>/dev/null || true; }
# A message box (the application error box bears the clock's own title)
# would stand in the way of the menu and means something went wrong anyway.
no_box() {
  local window
  for window in $(visible); do
    if xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG; then
      fail "a message box \"$(xdotool getwindowname "$window")\" appeared"
    fi
  done
}

window=
for _ in $(seq $((patience * 10))); do
  window=$(visible | head -n 1)
  [[ -n "$window" ]] && break
  kill -0 "$clock_pid" 2>/dev/null || fail "the clock ended while starting"
  sleep 0.1
done
[[ -n "$window" ]] || fail "no clock window within $patience s"
sleep "$tick_seconds"
kill -0 "$clock_pid" 2>/dev/null || fail "the clock ended while ticking"
no_box

# 時刻あわせ by its key: the run waits 3 s for the silent server.
xdotool windowfocus "$window" key s
sleep 0.5
no_box
xdotool mousemove --window "$window" 10 10 click 3
menu=
for _ in $(seq 100); do
  menu=$(visible | grep -vx "$window" | head -n 1 || true)
  [[ -n "$menu" ]] && break
  sleep 0.1
done
[[ -n "$menu" ]] || fail "the right click opened no menu"
kill -0 "$clock_pid" 2>/dev/null || fail "the clock ended before 終了(&X) was chosen"
xdotool key x
quit_at=$SECONDS

ended=
for _ in $(seq $((patience * 10))); do
  if ! kill -0 "$clock_pid" 2>/dev/null || [[ "$(awk '/^State:/ { print $2 }' "/proc/$clock_pid/status" 2>/dev/null)" == Z ]]; then
    ended=1
    break
  fi
  sleep 0.1
done
[[ -n "$ended" ]] || fail "the clock did not end within $patience s of 終了(&X)"
# The run in progress is given up; waiting for its 3 s would be a hang.
((SECONDS - quit_at <= 2)) || fail "the clock took $((SECONDS - quit_at)) s to end during a clock correction"
status=0
wait "$clock_pid" || status=$?
clock_pid=

if grep -q "ERROR: LeakSanitizer" "$tmp/kairos.log"; then
  fail "LeakSanitizer found leaks: $(grep -E '^SUMMARY: AddressSanitizer: [0-9]+ byte' "$tmp/kairos.log")"
fi
if grep -qE "ERROR: AddressSanitizer|runtime error:" "$tmp/kairos.log"; then
  fail "the sanitizers reported an error"
fi
((status == 0)) || fail "the clock ended with exit code $status"

grep -q "kairos: time server 127.0.0.1:" "$tmp/kairos.log" ||
  fail "no clock correction was running when 終了(&X) was chosen"
echo "leak-check: the clock ticked ${tick_seconds} s, ended by 終了(&X) during a clock correction with exit code 0 after $((SECONDS - started)) s; no leak"
# LeakSanitizer's table: count, bytes and the matching line of tests/lsan.supp.
suppressed=$(sed -n '/^Suppressions used:/,/^---/p' "$tmp/kairos.log" | grep -E '^ *[0-9]+ +[0-9]+ ' |
  sed 's/^ */  /' || true)
if [[ -n "$suppressed" ]]; then
  echo "leak-check: left to the system libraries by tests/lsan.supp (count, bytes, line):"
  echo "$suppressed"
fi
