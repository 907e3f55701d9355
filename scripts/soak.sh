#!/usr/bin/env bash
# Lets the real clock run for [minutes] (10 by default, at least 2) with
# something to do in every minute: an alarm due at each minute, each starting
# a little script that notes its number and a desktop notification that
# dunst, on a session bus of the run's own, keeps; the hour and half-hour chime; a
# status sound; and a clock correction every minute against chronyd on
# 127.0.0.1, which fails because the program may not set the clock. Then it
# checks that every alarm ran its command and raised its notification exactly
# once, that no error box
# appeared, that resident memory did not grow by more than 2 MB after the
# first minute and that the clock used less than 1.5 % of one core in quiet
# 10-second stretches between the events (the median of them).
#
# The program runs in a network namespace of its own, where 127.0.0.1:123
# (the only port it asks) leads to chronyd, and no other host exists. It runs
# without any right to set the machine's clock (scripts/clock-guard.sh).
# KAIROS_SOAK_BUILD names another build folder than build/release.
set -euo pipefail

minutes=${1:-10}
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || ((minutes < 2)); then
  echo "usage: $0 [minutes]   (a whole number of minutes, at least 2; 10 by default)" >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KAIROS_SOAK_BUILD:-$root/build/release}
# shellcheck source=scripts/clock-guard.sh
source "$root/scripts/clock-guard.sh"

# The limits the run is held to.
rss_growth_limit_kb=2048
quiet_cpu_limit=1.5
quiet_window_ms=10000

if [[ -z "${KAIROS_SOAK_NETNS:-}" ]]; then
  "$root/scripts/install-deps.sh"
  cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target kairos >/dev/null
  # unshare without --fork: the script goes on as the same process, inside.
  if [[ $(id -u) -eq 0 ]]; then netns=(unshare --net); else netns=(unshare --net --map-root-user); fi
  if "${netns[@]}" true 2>/dev/null; then
    KAIROS_SOAK_NETNS=private exec "${netns[@]}" -- "$BASH" "$0" "$@"
  fi
  echo "soak: no private network namespace here; the clock's SNTP requests go to" \
    "127.0.0.1:123, whatever answers there, and no chronyd of ours" >&2
  KAIROS_SOAK_NETNS=shared
fi
[[ -x "$build/bin/kairos" ]] || { echo "soak: $build/bin/kairos was not built" >&2; exit 1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kairos-soak.XXXXXX")
app=$tmp/app
xvfb_pid=
clock_pid=
relay_pid=
bus_pid=
dunst_pid=
sleeper=
own_pulse=0
own_chrony=0

cleanup() {
  local pid
  if [[ -n "$sleeper" ]]; then kill "$sleeper" 2>/dev/null || true; fi
  for pid in $clock_pid $relay_pid $dunst_pid $bus_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  for pid in $clock_pid $relay_pid $dunst_pid $bus_pid $xvfb_pid; do
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  if ((own_chrony)); then "$root/scripts/stop-chronyd.sh"; fi
  if ((own_pulse)); then "$root/scripts/stop-pulse.sh"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
  echo "soak: FAILED: $*" >&2
  if [[ -s "$tmp/kairos.log" ]]; then
    echo "soak: the clock's last output:" >&2
    tail -n 20 "$tmp/kairos.log" | sed 's/^/  /' >&2
  fi
  exit 1
}

# Bash runs a trap only once its foreground command ends; waiting on a
# background sleep lets an interrupt in at once.
pause() {
  sleep "$1" &
  sleeper=$!
  wait "$sleeper" || true
  sleeper=
}

now_ms() { local t=${EPOCHREALTIME/./}; echo $((10#$t / 1000)); }
# Boot-time clock for lengths: unlike the wall clock it is never stepped.
uptime_ms() { local up _; read -r up _ </proc/uptime; echo $((10#${up/./} * 10)); }
cpu_ticks() {
  local stat fields
  stat=$(cat "/proc/$1/stat") || return 1
  stat=${stat##*) }
  read -ra fields <<<"$stat"
  echo $((fields[11] + fields[12]))
}
# A child that has ended but is not yet reaped still has a /proc entry.
running() { [[ "$(awk '/^State:/ { print $2 }' "/proc/$1/status" 2>/dev/null)" =~ ^[^Z]$ ]]; }
# The captions of the message boxes on the display: the clock's windows of
# the dialog type (the application error box bears the application title,
# as the clock window itself does) and any window captioned "エラー".
boxes() {
  local window
  for window in $(DISPLAY=$display xdotool search --onlyvisible --pid "$clock_pid" 2>/dev/null); do
    if DISPLAY=$display xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG; then
      DISPLAY=$display xdotool getwindowname "$window" 2>/dev/null || echo "?"
    fi
  done
  for window in $(DISPLAY=$display xdotool search --onlyvisible --name 'エラー' 2>/dev/null); do
    DISPLAY=$display xdotool getwindowname "$window" 2>/dev/null || echo "?"
  done
}
no_box() {
  local found
  found=$(boxes | sort -u | paste -sd, -)
  [[ -z "$found" ]] && return 0
  local shot=$root/build/soak-error.png
  mkdir -p "$root/build"
  DISPLAY=$display import -window root "$shot" 2>/dev/null || true
  fail "a message box ($found) appeared after $((($(now_ms) - launch_ms) / 1000)) s; screenshot: $shot"
}
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# ---- network: chronyd behind 127.0.0.1:123 ------------------------------------

if [[ "$KAIROS_SOAK_NETNS" == private ]]; then
  ip link set lo up
  # The chronyd of the caller, if any, lives in the other namespace.
  unset KAIROS_CHRONY_PORT KAIROS_CHRONY_PID KAIROS_CHRONY_DIR
  chrony_env=$("$root/scripts/start-chronyd.sh")
  eval "$chrony_env"
  own_chrony=1
  # The clock asks port 123 only; this passes each request on to chronyd
  # unchanged and its reply back from port 123, as the clock expects.
  /usr/bin/python3 -u - "$KAIROS_CHRONY_PORT" >"$tmp/relay.log" 2>&1 <<'PY' &
import socket, sys
listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
listener.bind(("127.0.0.1", 123))
print("ready")
while True:
    request, client = listener.recvfrom(2048)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as upstream:
        upstream.settimeout(2)
        upstream.connect(("127.0.0.1", int(sys.argv[1])))
        upstream.send(request)
        try:
            reply = upstream.recv(2048)
        except OSError:
            print("unanswered")
            continue
    listener.sendto(reply, client)
    print("answered")
PY
  relay_pid=$!
  for _ in $(seq 50); do grep -q ready "$tmp/relay.log" 2>/dev/null && break; sleep 0.1; done
  grep -q ready "$tmp/relay.log" || fail "the relay to chronyd did not start: $(cat "$tmp/relay.log")"
fi

# ---- display and sound ---------------------------------------------------------

# Always a display of its own: an error box found there can only be the clock's.
display=$("$root/scripts/free-display.sh")
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$tmp/Xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $display: $(cat "$tmp/Xvfb.log")"

# A session bus of the run's own with dunst on it: the clock's notifications
# go there, never to a desktop's.
dbus-daemon --session --nofork --print-address=3 3>"$tmp/bus.address" >/dev/null 2>&1 &
bus_pid=$!
for _ in $(seq 50); do [[ -s "$tmp/bus.address" ]] && break; sleep 0.1; done
bus_address=$(head -n 1 "$tmp/bus.address")
[[ -n "$bus_address" ]] || fail "the private session bus did not start"
DISPLAY=$display DBUS_SESSION_BUS_ADDRESS=$bus_address dunst >"$tmp/dunst.log" 2>&1 &
dunst_pid=$!
notices() { DBUS_SESSION_BUS_ADDRESS=$bus_address dunstctl "$@"; }
for _ in $(seq 50); do notices is-paused >/dev/null 2>&1 && break; sleep 0.1; done

if [[ -z "${PULSE_SERVER:-}" || -z "${KAIROS_PULSE_PID:-}" ]]; then
  pulse_env=$("$root/scripts/start-pulse.sh")
  eval "$pulse_env"
  own_pulse=1
fi

# ---- the clock's folder: program, settings, alarms, sound ----------------------

mkdir -p "$app/alarms" "$tmp/home" "$tmp/config" "$tmp/run"
chmod 700 "$tmp/run"
cp "$build/bin/kairos" "$app/kairos"
if [[ -d "$build/bin/help" ]]; then cp -r "$build/bin/help" "$app/help"; fi

# A short tone for the chime, the status sound and the alarms.
/usr/bin/python3 - "$app/tone.wav" <<'PY'
import math, struct, sys, wave
rate = 48000
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(rate)
    out.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 880 * i / rate)))
                             for i in range(rate // 10)))
PY

crlf() { sed 's/$/\r/'; }
crlf >"$app/kairos.ini" <<INI
[General]
Point=20,20
NTPAddress=127.0.0.1
AutoNTP=1
AutoNTPInterval=1
[InformationNote]
Play=1
OnBeep=0
Path=%APPLICATION%/tone.wav
[TimeSignal]
PlayJustTime=1
PlayHalfTime=1
TimesLoop=0
Path=%APPLICATION%/tone.wav
[Alarm]
AlarmToBeep=0
Path=%APPLICATION%/tone.wav
INI

# One alarm at each minute boundary of the run, every weekday; the first is
# the minute after the start. The run ends a few seconds after the last one,
# and at least the given minutes after the start.
launch_ms=$(now_ms)
first_alarm_ms=$(((launch_ms / 60000 + 1) * 60000))
alarm_log=$tmp/alarms.log
: >"$alarm_log"
expected=()
for ((i = 1; i <= minutes; i++)); do
  expected[i]=$(date -d "@$((first_alarm_ms / 1000 + (i - 1) * 60))" +%H:%M)
done
{
  for ((i = 1; i <= minutes; i++)); do
    # shellcheck disable=SC2016  # $(date) is for the alarm's script to run
    printf '#!/bin/sh\necho "%d $(date +%%H:%%M)" >>"%s"\n' "$i" "$alarm_log" >"$app/alarms/alarm-$i.sh"
    chmod +x "$app/alarms/alarm-$i.sh"
    printf '[Alarm%d]\nAlarmKind=akAtWeeks\nTime=%s:00\nWeeks=wSun,wMon,wTue,wWed,wThu,wFri,wSat\n' "$i" "${expected[i]}"
    printf 'Snooze=snDisable\nMessage=soak %d\nCommand=%s\nRemoveOnExec=0\n\n' "$i" "$app/alarms/alarm-$i.sh"
  done
} | crlf >"$app/Alarm.ini"
last_alarm_ms=$((first_alarm_ms + (minutes - 1) * 60000))
end_ms=$((launch_ms + minutes * 60000))
if ((end_ms < last_alarm_ms + 5000)); then end_ms=$((last_alarm_ms + 5000)); fi

# ---- the run -------------------------------------------------------------------

clock_guard_init "$tmp"
# The run's own session bus: not the user's, and not one that libdbus would
# launch through the display when the address is missing.
env -u WAYLAND_DISPLAY -u SESSION_MANAGER -u XDG_DATA_HOME -u XDG_CACHE_HOME \
  -u XDG_STATE_HOME DISPLAY="$display" QT_QPA_PLATFORM=xcb HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" \
  XDG_RUNTIME_DIR="$tmp/run" PULSE_SERVER="$PULSE_SERVER" DBUS_SESSION_BUS_ADDRESS="$bus_address" \
  "${guarded[@]}" "$app/kairos" >"$tmp/kairos.log" 2>&1 &
clock_pid=$!
clock_guard_check "$clock_pid" "$app/kairos"
for _ in $(seq 200); do
  [[ -n "$(DISPLAY=$display xdotool search --onlyvisible --pid "$clock_pid" 2>/dev/null)" ]] && break
  running "$clock_pid" || fail "the clock ended while starting"
  sleep 0.1
done
no_box
[[ -n "$(DISPLAY=$display xdotool search --onlyvisible --pid "$clock_pid" 2>/dev/null)" ]] ||
  fail "the clock showed no window within 20 s"
echo "soak: clock (pid $clock_pid) on $display for $minutes minutes, alarms ${expected[1]} to ${expected[minutes]}" >&2

# Moments around which the clock has work, so that no quiet window holds them:
# each minute boundary (alarm, chime, status line for 5 s) and each clock
# correction, a minute after the start and then a minute after the end of the
# previous one (status line and sound).
busy() {  # busy FROM TO: whether [FROM, TO] (ms) meets any of them
  local from=$1 to=$2 b s
  ((from < launch_ms + 10000)) && return 0
  for ((b = (from / 60000) * 60000; b <= to + 1000; b += 60000)); do
    ((b - 1000 < to && b + 7000 > from)) && return 0
  done
  for ((s = launch_ms + ((from - launch_ms) / 60000 - 1) * 60000; s <= to + 2000; s += 60000)); do
    ((s > launch_ms && s - 2000 < to && s + 9000 > from)) && return 0
  done
  return 1
}

hz=$(getconf CLK_TCK)
rss_start=
windows=()
window_start=
polls=0
while (($(now_ms) < end_ms)); do
  running "$clock_pid" || fail "the clock ended during the run"
  if ((polls++ % 6 == 0)); then no_box; fi
  now=$(now_ms)
  if [[ -z "$rss_start" ]] && ((now >= launch_ms + 70000)); then rss_start=$(rss_kb "$clock_pid"); fi
  if [[ -n "$window_start" ]]; then
    if (($(uptime_ms) - window_up >= quiet_window_ms)); then
      ticks=$(($(cpu_ticks "$clock_pid") - window_ticks))
      length=$(($(uptime_ms) - window_up))
      # A late loop may have let the window run into an event: dropped.
      if ! busy "$window_start" "$(now_ms)"; then windows+=("$ticks $length"); fi
      window_start=
    fi
  elif ! busy "$now" $((now + quiet_window_ms + 1000)); then
    window_start=$now
    window_up=$(uptime_ms)
    window_ticks=$(cpu_ticks "$clock_pid")
  fi
  pause 0.5
done
rss_end=$(rss_kb "$clock_pid")
no_box

# ---- the figures ---------------------------------------------------------------

problems=()
fired=0
for ((i = 1; i <= minutes; i++)); do
  runs=$(grep -c "^$i " "$alarm_log" || true)
  if ((runs == 1)); then
    at=$(awk -v n="$i" '$1 == n { print $2 }' "$alarm_log")
    if [[ "$at" == "${expected[i]}" ]]; then fired=$((fired + 1)); else problems+=("alarm $i for ${expected[i]} ran at $at"); fi
  else
    problems+=("alarm $i for ${expected[i]} ran $runs times")
  fi
done
strays=$(awk -v n="$minutes" '!($1 >= 1 && $1 <= n)' "$alarm_log" | wc -l)
((strays == 0)) || problems+=("$strays log lines of no alarm")
echo "soak: alarms: $fired of $minutes ran their command once, in their minute"

# The notifications dunst received, each alarm's message once.
notices close-all || true
sleep 0.5
notified=$(notices history | /usr/bin/python3 -c '
import json, sys
items = json.load(sys.stdin)["data"][0]
print("\n".join(sorted(i["body"]["data"] for i in items if i["summary"]["data"].startswith("アラーム"))))' || true)
shown=0
for ((i = 1; i <= minutes; i++)); do
  count=$(grep -cx "soak $i" <<<"$notified" || true)
  if ((count == 1)); then shown=$((shown + 1)); else problems+=("alarm $i raised $count notifications"); fi
done
echo "soak: notifications: $shown of $minutes alarms raised one in dunst"

if [[ "$KAIROS_SOAK_NETNS" == private ]]; then
  answered=$(grep -c '^answered' "$tmp/relay.log" || true)
  unanswered=$(grep -c '^unanswered' "$tmp/relay.log" || true)
  echo "soak: clock corrections: $answered SNTP exchanges with chronyd, $unanswered unanswered"
  ((answered >= minutes - 1)) || problems+=("only $answered SNTP exchanges in $minutes minutes")
  ((unanswered == 0)) || problems+=("$unanswered SNTP requests unanswered")
fi

growth=$((rss_end - rss_start))
echo "soak: resident memory after the first minute $rss_start kB, at the end $rss_end kB ($growth kB)"
((growth <= rss_growth_limit_kb)) || problems+=("resident memory grew by $growth kB")

((${#windows[@]} > 0)) || problems+=("no quiet window to measure")
# Judged by the median: a neighbour's burst on a shared machine can spoil
# one window.
cpu=$(printf '%s\n' "${windows[@]}" | awk -v hz="$hz" '
  NF == 2 { p[++n] = 100 * $1 / hz / ($2 / 1000); sum += p[n] }
  END {
    if (!n) { print "0 0 0 0"; exit }
    for (i = 2; i <= n; i++) for (j = i; j > 1 && p[j - 1] > p[j]; j--) { t = p[j]; p[j] = p[j - 1]; p[j - 1] = t }
    median = n % 2 ? p[(n + 1) / 2] : (p[n / 2] + p[n / 2 + 1]) / 2
    printf "%.2f %.2f %.2f %d\n", median, sum / n, p[n], n
  }')
read -r cpu_median cpu_mean cpu_max cpu_windows <<<"$cpu"
echo "soak: quiet CPU over $cpu_windows windows of 10 s: median $cpu_median %, mean $cpu_mean %, highest $cpu_max % of one core"
awk -v m="$cpu_median" -v limit="$quiet_cpu_limit" 'BEGIN { exit !(m < limit) }' ||
  problems+=("quiet CPU $cpu_median % is not under $quiet_cpu_limit %")

echo "soak: $minutes minutes, $fired/$minutes alarms, $shown notified, rss start $rss_start kB end $rss_end kB, quiet cpu $cpu_median %"
if ((${#problems[@]} > 0)); then
  fail "$(printf '%s; ' "${problems[@]}")"
fi
