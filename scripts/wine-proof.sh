#!/usr/bin/env bash
# Runs the real kairos.exe under wine as a Windows user would meet it, from a
# portable copy of the program folder (scripts/windows-build.sh stages it in
# build/windows/stage), and checks what can be seen from outside: the
# window with its time and date, the icon in the notification area and its
# click, the menu's dialogs, the notice of a second copy, an alarm a minute
# ahead with its message, its command and its sound in the null sink's
# recording, and the query command against the private chronyd.
#
# Needs what scripts/test.sh starts: an X display (DISPLAY), the test sound
# server (PULSE_SERVER) and chronyd (KAIROS_CHRONY_PORT). Pictures go to the
# folder given second (build/windows/proof by default). Prints one line per
# check and fails if any check failed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
stage=${1:-$root/build/windows/stage}
out=${2:-$root/build/windows/proof}
: "${DISPLAY:?needs an X display}" "${PULSE_SERVER:?needs the test sound server (scripts/start-pulse.sh)}"
: "${KAIROS_CHRONY_PORT:?needs chronyd (scripts/start-chronyd.sh)}"
[[ -f "$stage/kairos.exe" ]] || { echo "wine-proof: no kairos.exe in $stage" >&2; exit 1; }

# Wine sets the clock with clock_settime, which root may: the whole run,
# wineserver included, goes without CAP_SYS_TIME, so a synchronisation the
# clock tries is refused as on a Windows account without the right.
if [[ -z "${KAIROS_WINE_PROOF_GUARDED:-}" ]]; then
  KAIROS_WINE_PROOF_GUARDED=1 exec setpriv --bounding-set=-sys_time --inh-caps=-all --no-new-privs -- \
    "$BASH" "$0" "$stage" "$out"
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/kairos-wine.XXXXXX")
app=$tmp/app
# The prefix is kept between runs: making one takes half a minute, and the
# portable copy keeps every setting beside itself, not in the prefix.
prefix=$root/build/windows/wine-proof
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A Japanese Windows: wine takes its locale from LC_ALL (given to wine only:
# the machine need not have the locale generated for its own programs).
wine() { env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 /usr/bin/wine "$@"; }
record_pid=
failures=0

cleanup() {
  for pid in $record_pid; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

ok() { echo "ok     $*"; }
failed() {
  echo "FAILED $*"
  failures=$((failures + 1))
}
check() {
  local what=$1
  shift
  if "$@"; then ok "$what"; else failed "$what"; fi
}
# Waits up to the seconds given for the command to succeed.
await() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
# Wine writes a Japanese title only into _NET_WM_NAME (WM_NAME holds "??"),
# which xdotool's search does not read: titles are compared one by one.
window_named() {
  local window
  for window in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    if [[ "$(xdotool getwindowname "$window" 2>/dev/null)" == "$1" ]]; then
      echo "$window"
      return 0
    fi
  done
}
has_window() { [[ -n "$(window_named "$1")" ]]; }
# The number of colours in a window's picture: a window with text has more
# than its background and one colour of ink.
# (import with no window would wait for a click to choose one.)
colours_in() {
  [[ -n "$1" ]] || { echo 0; return; }
  timeout 10 import -window "$1" -format '%k' info: 2>/dev/null || echo 0
}
kairos() { wine "$app/kairos.exe" "$@"; }
# A picture of a window (root: the screen), kept as a test artefact.
picture() { [[ -z "$1" ]] || timeout 10 import -window "$1" "$out/$2" 2>/dev/null || true; }

# ---- the prefix: Japanese text through the IPA faces ----------------------------

# A wineserver left from an earlier run would still have the right to set the clock.
wineserver -k 2>/dev/null || true
env LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$root/scripts/wine-run.sh" "$prefix" cmd /c exit 0 >/dev/null 2>&1 || true
# Wine's own dialog faces have no Japanese; linking them to IPAGothic is what
# a Japanese Windows does with its own faces.
for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Microsoft Sans Serif"; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$face" /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f >/dev/null 2>&1
done

# ---- the portable copy, its settings, an alarm a minute ahead -------------------

cp -r "$stage" "$app"
mkdir -p "$out"
python3 - "$app/tone.wav" <<'PY'
import math, struct, sys, wave
rate = 48000
with wave.open(sys.argv[1], "wb") as wav:
    wav.setnchannels(1)
    wav.setsampwidth(2)
    wav.setframerate(rate)
    wav.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * 1000 * i / rate)))
                             for i in range(rate)))
PY
crlf() { sed 's/$/\r/'; }
crlf >"$app/kairos.ini" <<INI
[General]
Point=40,40
[Alarm]
AlarmToBeep=0
Path=%APPLICATION%\\tone.wav
INI
# Far enough from the minute's end that the clock is up before it.
while (($(date +%S | sed 's/^0//') > 40)); do sleep 1; done
alarm_at=$(date -d '+1 minute' +%H:%M)
alarm_log=$(winepath -w "$tmp/alarm.log" 2>/dev/null)
printf '@echo fired>"%s"\n' "$alarm_log" | crlf >"$app/alarm.bat"
crlf >"$app/Alarm.ini" <<INI
[Alarm1]
AlarmKind=akAtWeeks
Time=$alarm_at:00
Weeks=wSun,wMon,wTue,wWed,wThu,wFri,wSat
Snooze=snDisable
Message=ワインの会議
Command=$(winepath -w "$app/alarm.bat" 2>/dev/null)
RemoveOnExec=0
INI

# ---- the clock and its icon ------------------------------------------------------

parec --device=kairos_test.monitor --format=s16le --rate=48000 --channels=1 --raw >"$tmp/recording.raw" 2>/dev/null &
record_pid=$!

kairos >"$tmp/first.log" 2>&1 &
clock_pid=$!
check "the clock's window appears" await 60 has_window Kairos
clock=$(window_named Kairos)
sleep 2
picture root wine-clock-screen.png
if [[ -n "$clock" ]]; then
  picture "$clock" wine-clock.png
  check "the window shows text (colours: $(colours_in "$clock"))" test "$(colours_in "$clock")" -gt 8
  # A tool window (WS_EX_TOOLWINDOW) has no task-bar button; wine shows one
  # as a window no window manager takes on, or with SKIP_TASKBAR.
  no_taskbar_entry() {
    xwininfo -id "$clock" | grep -q 'Override Redirect State: yes' ||
      xprop -id "$clock" _NET_WM_STATE | grep -q SKIP_TASKBAR
  }
  check "the window has no task-bar entry" no_taskbar_entry
fi

# Without a notification area on the display, wine shows the icons in a tray
# window of its own, the first icon at its left end.
# (Its title is translated; its class is explorer's.)
tray_window() { xdotool search --onlyvisible --class '^explorer\.exe$' 2>/dev/null | head -n 1; }
has_tray() { [[ -n "$(tray_window)" ]]; }
click_icon() {
  local tray x y
  tray=$(tray_window)
  [[ -n "$tray" ]] || return 1
  read -r x y < <(xdotool getwindowgeometry --shell "$tray" | awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"] }')
  xdotool mousemove $((x + 10)) $((y + 10)) click 1
}
clock_hidden() { ! has_window Kairos; }
check "wine's notification area appears" await 20 has_tray
check "and shows the clock's icon (colours: $(colours_in "$(tray_window)"))" test "$(colours_in "$(tray_window)")" -gt 4
picture root wine-tray-screen.png
click_icon || true
check "a click on the icon hides the clock" await 10 clock_hidden
click_icon || true
check "a second click shows it again" await 10 has_window Kairos
clock=$(window_named Kairos)

# ---- the menu and its dialogs ----------------------------------------------------------

# Right-clicks the clock and presses the keys given in its menu. A step that
# goes wrong shows in the checks after it, so none of these ends the script.
# The menu is a window of the program's own name beside the clock.
menu_open() { (($(xdotool search --onlyvisible --name '^Kairos$' 2>/dev/null | wc -l) > 1)); }
# Right-clicks the clock, presses the keys in its menu (a letter two items
# share only moves to the next of them: Return takes it) and waits for the
# named window. A key can reach the menu before wine has given it the
# keyboard, so a menu that stays open is closed and opened again, three
# times at most.
menu_opens() {
  local name=$1
  shift
  [[ -n "$clock" ]] || return 1
  for _ in 1 2 3; do
    xdotool mousemove --window "$clock" 8 8 click 3 || true
    await 10 menu_open || continue
    sleep 0.5
    xdotool key --delay 200 "$@" || true
    await 10 has_window "$name" && return 0
    menu_open && xdotool key Escape Escape Escape || true
    sleep 1
  done
  return 1
}
# Focuses the named window and presses the keys.
press_in() {
  local window
  window=$(window_named "$1")
  shift
  [[ -n "$window" ]] || return 0
  timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.5
  xdotool key --delay 150 "$@" || true
}
width_of() { [[ -z "$1" ]] && echo 0 || xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p'; }

width_before=$(width_of "$clock")
check "設定 opens from the menu" menu_opens 設定 o
picture "$(window_named 設定)" wine-preferences.png
# The time size: Alt+S goes to its box; OK takes it.
press_in 設定 alt+s ctrl+a 3 6 Return
settings_closed() { ! has_window 設定; }
check "the preferences dialog closes with OK" await 10 settings_closed
grows() { (($(width_of "$clock") > width_before + 20)); }
check "a larger time size widens the clock ($width_before px before)" await 10 grows
picture "$clock" wine-clock-larger.png

check "アラーム opens from the menu" menu_opens アラーム a Return
picture "$(window_named アラーム)" wine-alarms.png
press_in アラーム Escape
check "バージョン情報 opens from the menu" menu_opens バージョン情報 a a Return
picture "$(window_named バージョン情報)" wine-about.png
press_in バージョン情報 Escape

# ---- a second copy ---------------------------------------------------------------------

kairos >"$tmp/second.log" 2>&1 &
second_pid=$!
check "a second start shows the notice" await 60 has_window 情報
picture "$(window_named 情報)" wine-second-start.png
press_in 情報 Return
second_ended() { ! kill -0 "$second_pid" 2>/dev/null; }
check "the second copy ends once the notice is answered" await 20 second_ended
check "the first copy runs on" kill -0 "$clock_pid"

# ---- the alarm ---------------------------------------------------------------------------

fired() { [[ -s "$tmp/alarm.log" ]]; }
check "the alarm at $alarm_at runs its command" await 120 fired
sleep 1
picture "$clock" wine-alarm.png
# The message holds the date line for 5 seconds, then the date comes back.
sleep 6
picture "$clock" wine-after-alarm.png
date_line_changed() {
  local pixels
  for shot in alarm after-alarm; do
    convert "$out/wine-$shot.png" -gravity South -crop 100%x40%+0+0 +repage "$tmp/date-$shot.png" || return 1
  done
  pixels=$(compare -metric AE "$tmp/date-alarm.png" "$tmp/date-after-alarm.png" null: 2>&1 || true)
  [[ "$pixels" =~ ^[0-9]+ ]] && ((BASH_REMATCH[0] > 50))
}
check "its message stood on the date line, and the date came back" date_line_changed
kill "$record_pid" 2>/dev/null || true
record_pid=
# The tone is 1 kHz at a quarter of full scale; silence and the clock's own
# ticking stay far below.
loud_ms() {
  python3 - "$tmp/recording.raw" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
window = 480  # 10 ms at 48 kHz
loud = sum(1 for i in range(0, len(samples) - window, window)
           if max(abs(s) for s in samples[i:i + window]) > 4000)
print(loud * 10)
PY
}
heard=$(loud_ms)
check "its sound is heard in the null sink ($heard ms of tone)" test "$heard" -ge 500

# ---- the query command ---------------------------------------------------------------

query=$(kairos --query "127.0.0.1:$KAIROS_CHRONY_PORT" 2>&1 | tr -d '\r' || true)
offset=$(sed -n 's/.*offset \([-+][0-9.]*\) s.*/\1/p' <<<"$query")
near_five() { python3 -c "import sys; sys.exit(0 if abs(float(sys.argv[1]) - 5.0) <= 0.005 else 1)" "$1"; }
check "--query reports the server 5.000 ± 0.005 s ahead (${query:-no output})" near_five "${offset:-0}"

wineserver -k 2>/dev/null || true
if ((failures > 0)); then
  echo "wine-proof: $failures check(s) failed; pictures in $out" >&2
  exit 1
fi
echo "wine-proof: every check passed; pictures in $out"
