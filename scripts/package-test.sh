#!/usr/bin/env bash
# Builds the Debian package in build/package (or in the build folder given,
# reconfigured for /usr, so the test run packs what it already built), checks
# its desktop entry and AppStream metainfo, installs it, and runs the
# installed clock as an ordinary user (kairos-test, home under /tmp) on a
# private virtual display: the window shows, the help and icons are in place,
# the settings go to ~/.config/kairos and not beside /usr/bin/kairos, and a
# second start only shows its notice.
# Removes the package and the user again. Needs root.
#
# The clock runs without a network (its own network namespace), so nothing it
# does can reach another host; no step here touches the machine's clock.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$root/build/package}"
user=kairos-test
home=/tmp/kairos-test-user
patience=20  # seconds to wait for a window or an exit

fail() {
  echo "package-test: FAILED: $*" >&2
  exit 1
}
step() { echo "== $*"; }

[[ $(id -u) -eq 0 ]] || fail "run as root: it installs the package and adds a user"
"$root/scripts/install-deps.sh"
started=$SECONDS

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kairos-package.XXXXXX")
xvfb_pid=
clock_pid=
installed=0
cleanup() {
  local rc=$?
  [[ -n "$clock_pid" ]] && { kill "$clock_pid" 2>/dev/null; wait "$clock_pid" 2>/dev/null; } || true
  [[ -n "$xvfb_pid" ]] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
  ((installed)) && { dpkg -r kairos >/dev/null || echo "package-test: could not remove the package" >&2; }
  if getent passwd "$user" >/dev/null; then
    userdel "$user" 2>/dev/null || echo "package-test: could not remove the user $user" >&2
  fi
  rm -rf "$home" "$scratch"
  exit "$rc"
}
trap cleanup EXIT

step "package"
if (($# == 0)); then
  cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAIROS_BUILD_TESTS=OFF \
    -DKAIROS_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
else
  cmake -S "$root" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
fi
rm -f "$build"/kairos_*.deb
echo "building (log: $build/package.log)"
cmake --build "$build" --target package >"$build/package.log" 2>&1 || {
  tail -n 40 "$build/package.log" >&2
  fail "the package did not build (log: $build/package.log)"
}
debs=("$build"/kairos_*.deb)
[[ -f "${debs[0]}" ]] || fail "no kairos_*.deb in $build"
deb=${debs[0]}
echo "$deb"
dpkg-deb -f "$deb" Package Version Depends Recommends

step "desktop entry and metainfo"
dpkg -x "$deb" "$scratch/tree"
desktop="$scratch/tree/usr/share/applications/kairos.desktop"
metainfo=$(find "$scratch/tree/usr/share/metainfo" -name '*.metainfo.xml' -print -quit 2>/dev/null || true)
[[ -f "$desktop" ]] || fail "the package has no /usr/share/applications/kairos.desktop"
[[ -n "$metainfo" ]] || fail "the package has no /usr/share/metainfo/*.metainfo.xml"
# desktop-file-validate exits 0 on warnings; any complaint counts here.
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
grep -qE "error|warning" <<<"$report" && fail "desktop-file-validate: $report"
echo "kairos.desktop: valid"
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
grep -qE "^ *[EW]:" <<<"$report" && fail "appstreamcli validate: $report"
echo "$(basename "$metainfo"): $(tail -n 1 <<<"$report")"

step "install"
# A Kairos the machine's owner installed is not ours to replace and remove.
if [[ $(dpkg-query -W -f='${Status}' kairos 2>/dev/null || true) == "install ok installed" ]]; then
  fail "a kairos package is already installed here; remove it first or run this on a test machine"
fi
installed=1  # a half-done install is removed too
if ! dpkg -i "$deb" >"$scratch/dpkg.log" 2>&1; then
  # Only for a machine that lacks a library: install-deps.sh brings them all.
  DEBIAN_FRONTEND=noninteractive apt-get -f install -y -qq >>"$scratch/dpkg.log" 2>&1 || {
    cat "$scratch/dpkg.log" >&2
    fail "dpkg -i $deb"
  }
fi
[[ $(dpkg-query -W -f='${Status}' kairos) == "install ok installed" ]] || fail "kairos is not installed after dpkg -i"
for file in /usr/bin/kairos /usr/share/kairos/help/index.html /usr/share/icons/hicolor/scalable/apps/kairos.svg \
  /usr/share/icons/hicolor/{16x16,22x22,32x32,48x48}/apps/kairos.png; do
  [[ -f "$file" ]] || fail "$file is not installed"
done
echo "program, help and icons in place"

step "the installed clock, run by $user"
if ! getent passwd "$user" >/dev/null; then
  useradd --system --no-create-home --home-dir "$home" --shell /usr/sbin/nologin "$user"
fi
[[ $(getent passwd "$user" | cut -d: -f6) == "$home" ]] || fail "the user $user exists with another home"
# A fresh home each run: a file left by an earlier run must not pass for a new one.
rm -rf "$home"
install -d -o "$user" -g "$user" -m 700 "$home" "$home/run" "$home/.config" "$home/.config/autostart"
# Autostart is the installed entry copied into the user's autostart folder.
runuser -u "$user" -- cp /usr/share/applications/kairos.desktop "$home/.config/autostart/"
exec_line=$(sed -n 's/^Exec=//p' "$home/.config/autostart/kairos.desktop")
[[ "$exec_line" == kairos ]] || fail "unexpected Exec line in the desktop entry: $exec_line"

display=$("$root/scripts/free-display.sh")
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $display"
export DISPLAY=$display

# The user's own session and nothing else: no session bus, no network. A
# command, not a function, so that the process started in the background is
# the program's own and not a copy of this shell with its exit trap.
as_user=(unshare --net runuser -u "$user" -- env -i PATH=/usr/bin:/bin DISPLAY="$display" HOME="$home"
  XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=xcb LANG=C.UTF-8)

# Prints the id of the first visible window whose name is exactly $1.
await_window() {
  local id
  for _ in $(seq $((patience * 5))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

"${as_user[@]}" "$exec_line" >"$scratch/first.log" 2>&1 &
clock_pid=$!
window=$(await_window Kairos) || fail "the installed clock showed no window: $(cat "$scratch/first.log" 2>&1)"
kill -0 "$clock_pid" 2>/dev/null || fail "the installed clock ended early: $(cat "$scratch/first.log" 2>&1)"
echo "the clock runs: window $window"

# "現在の位置設定等を保存(&I)" is the second item with the mnemonic I, after
# "時刻をコピー(&I)": the menu's first I selects the copy, the second the save.
# No key here can reach "時刻あわせ(&S)".
settings="$home/.config/kairos/kairos.ini"
for _ in 1 2 3; do
  xdotool mousemove --window "$window" 10 10 click 3
  sleep 1
  xdotool key i
  sleep 0.3
  xdotool key i
  sleep 0.3
  xdotool key Return
  for _ in $(seq 10); do [[ -f "$settings" ]] && break; sleep 0.2; done
  [[ -f "$settings" ]] && break
  xdotool key Escape
done
[[ -f "$settings" ]] || fail "saving the position wrote no $settings"
[[ $(stat -c %U "$settings") == "$user" ]] || fail "$settings does not belong to $user"
[[ -e /usr/bin/kairos.ini ]] && fail "the settings went beside the program: /usr/bin/kairos.ini"
grep -q '^Point=' "$settings" || fail "$settings holds no position: $(cat "$settings")"
echo "settings written to ~/.config/kairos/kairos.ini"

"${as_user[@]}" /usr/bin/kairos >"$scratch/second.log" 2>&1 &
second_pid=$!
notice=$(await_window 情報) || {
  kill "$second_pid" 2>/dev/null || true
  fail "a second start showed no notice: $(cat "$scratch/second.log" 2>&1)"
}
# Through XTEST after a focus, never "key --window": on a window that closes
# on the key, xdotool dies before the release and leaves the key held down.
for _ in $(seq $((patience * 5))); do
  kill -0 "$second_pid" 2>/dev/null || break
  xdotool windowfocus "$notice" key Return 2>/dev/null || true
  sleep 0.2
done
if kill -0 "$second_pid" 2>/dev/null; then
  kill "$second_pid" 2>/dev/null || true
  fail "the second start did not end after its notice"
fi
wait "$second_pid" || fail "the second start ended with status $?"
kill -0 "$clock_pid" 2>/dev/null || fail "the first clock ended when the second started"
echo "a second start shows its notice and ends"

kill "$clock_pid"
wait "$clock_pid" 2>/dev/null || true
clock_pid=

step "remove"
dpkg -r kairos >/dev/null || fail "dpkg -r kairos"
installed=0
[[ -e /usr/bin/kairos ]] && fail "/usr/bin/kairos is still there after dpkg -r"
echo "package-test: passed in $((SECONDS - started)) s"
