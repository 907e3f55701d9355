#!/usr/bin/env bash
# Shows under wine that the Windows installer installs, updates and
# uninstalls Kairos: two silent installs (the second with /AUTOSTART, over
# the first) and a silent uninstall, in a wine prefix of its own that goes
# with the script. Only the setup and uninstall programs run, never
# kairos.exe. One line per check, "ok ..." or "FAILED ...", and a non-zero
# exit on any failure.
# Usage: scripts/windows-installer-test.sh <kairos-x.y.z-setup.exe>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if (($# != 1)); then
  echo "usage: $0 <setup.exe>" >&2
  exit 2
fi
setup=$(realpath -e "$1")

tmp=$(mktemp -d)
prefix=$tmp/prefix
# The prefix's wineserver is this script's; it must not outlive the folder.
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$tmp"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all
# A program that hangs (a message box nobody sees, in a silent run) fails
# its check instead of holding the script; the trap ends what is left.
run() { timeout 180 "$root/scripts/wine-run.sh" "$prefix" "$@"; }

passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok $what"
    passed=$((passed + 1))
  else
    echo "FAILED $what"
    failed=$((failed + 1))
  fi
}
# Wine sets the clock with clock_settime, which root may: the run goes
# without CAP_SYS_TIME, so nothing it starts can set the machine's clock.
if [[ -z "${KAIROS_INSTALLER_TEST_GUARDED:-}" ]]; then
  KAIROS_INSTALLER_TEST_GUARDED=1 exec setpriv --bounding-set=-sys_time --inh-caps=-all --no-new-privs -- \
    "$BASH" "$0" "$@"
fi

# Windows names are case-blind, and wine's folders are not always spelt
# the way a test would ("StartUp"): below a folder whose spelling is sure,
# the rest of the path is matched without case.
exists() { [[ -n $(find "$1" -ipath "$1/$2" -print -quit 2>/dev/null) ]]; }
# A folder that is not there at all proves nothing absent below it.
absent() { [[ -d $1 ]] && ! exists "$@"; }

# The user's folders as wine names them (the Unix user's name, and the
# first use makes the prefix).
appdata_windows=$(run cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
[[ $appdata_windows == [Cc]:\\* ]] || { echo "FAILED no %APPDATA% from wine: $appdata_windows"; exit 1; }
drive_c=$prefix/drive_c
appdata_windows=${appdata_windows:3}
appdata=$drive_c/${appdata_windows//\\//}
program_folder=$drive_c/Program\ Files/Kairos
start_menu=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs
user_programs=$appdata/Microsoft/Windows/Start\ Menu/Programs
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kairos'

# The value of one entry of the uninstall key, as `reg query` prints it:
# "    Name    REG_SZ    value".
reg_value() {
  run reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' |
    sed -nE "s/^ +$1 +REG_[A-Z_]+ +//p"
}
installed_files() {
  local missing=()
  for f in kairos.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll \
    libwinpthread-1.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
    translations/qtbase_ja.qm help/index.html Uninstall.exe; do
    [[ -f "$program_folder/$f" ]] || missing+=("$f")
  done
  ((${#missing[@]} == 0)) || { echo "  missing: ${missing[*]}" >&2; return 1; }
}
uninstall_entries() {
  local location uninstall quiet
  location=$(reg_value InstallLocation)
  uninstall=$(reg_value UninstallString)
  quiet=$(reg_value QuietUninstallString)
  [[ $location == 'C:\Program Files\Kairos' &&
    $uninstall == '"C:\Program Files\Kairos\Uninstall.exe"' &&
    $quiet == '"C:\Program Files\Kairos\Uninstall.exe" /S' &&
    -n $(reg_value DisplayVersion) && $(reg_value Publisher) == 'The Kairos developers' ]] ||
    { echo "  InstallLocation=$location UninstallString=$uninstall QuietUninstallString=$quiet" >&2; return 1; }
}
no_uninstall_key() { ! run reg query "$uninstall_key" >/dev/null 2>&1; }

check "setup.exe /S exits with 0" run "$setup" /S
check "program, DLLs and uninstaller in Program Files\\Kairos" installed_files
check "Start-menu shortcut for all users" exists "$start_menu" Kairos/Kairos.lnk
check "uninstall key with its entries" uninstall_entries
check "no Startup shortcut without /AUTOSTART" absent "$user_programs" Startup/Kairos.lnk

# The installed clock keeps its settings in %APPDATA%\Kairos, not beside
# itself in Program Files: "save the position" from its menu (the second
# item with I), then "exit" (X).
clock_window() { xdotool search --onlyvisible --name '^Kairos$' 2>/dev/null | head -n 1; }
await_clock() {
  for _ in $(seq 600); do [[ -n $(clock_window) ]] && return 0; sleep 0.1; done
  return 1
}
menu() {
  xdotool mousemove --window "$(clock_window)" 8 8 click 3
  sleep 1
  xdotool key --delay 200 "$@"
}
clock_ended() {
  for _ in $(seq 200); do kill -0 "$clock_pid" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
if [[ -n "${DISPLAY:-}" ]] && command -v xdotool >/dev/null; then
  run 'C:\Program Files\Kairos\kairos.exe' >/dev/null 2>&1 &
  clock_pid=$!
  check "the installed clock starts" await_clock
  menu i i Return || true
  sleep 2
  menu x || true
  check "the installed clock ends from its menu" clock_ended
  check "its settings went to %APPDATA%\\Kairos" test -f "$appdata/Kairos/kairos.ini"
  check "and not beside the program" test ! -e "$program_folder/kairos.ini"
  rm -rf "$appdata/Kairos"
else
  echo "(no display: the installed clock is not started)"
fi

# The second install finds the first and replaces it.
check "setup.exe /S /AUTOSTART over it exits with 0" run "$setup" /S /AUTOSTART
check "program, DLLs and uninstaller still there" installed_files
check "Startup shortcut of the installing user" exists "$user_programs" Startup/Kairos.lnk

mkdir -p "$appdata/Kairos"
echo '[Clock]' >"$appdata/Kairos/kairos.ini"
# The uninstaller copies itself to a temporary folder and that copy does the
# work after the first has ended: the prefix's server ends only after both.
check "Uninstall.exe /S exits with 0" run 'C:\Program Files\Kairos\Uninstall.exe' /S
timeout 180 wineserver --wait || true
check "program folder gone" absent "$drive_c" 'Program Files/Kairos'
check "Start-menu shortcut and folder gone" absent "$start_menu" Kairos
check "Startup shortcut gone" absent "$user_programs" Startup/Kairos.lnk
check "uninstall key gone" no_uninstall_key
check "user's settings in %APPDATA%\\Kairos kept" test -f "$appdata/Kairos/kairos.ini"

echo "installer: $passed passed, $failed failed"
((failed == 0))
