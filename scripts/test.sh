#!/usr/bin/env bash
# Builds Kairos and runs every test: the unit tests, the Debian package
# installed and run, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, a two-minute soak of the running clock, a leak
# check of the clock closed from its menu, the media tests under
# ThreadSanitizer, each fuzzer for a short while (FUZZ_SECONDS, 60 by
# default), and the Windows build's tests under wine (FORCE_WINDOWS_TESTS=0
# leaves them out of a quick local run).
set -euo pipefail
cd "$(dirname "$0")/.."
# Compiler caches found under another clone's path still count.
export CCACHE_BASEDIR=$PWD
scripts/install-deps.sh
windows=${FORCE_WINDOWS_TESTS:-1}

# A fresh machine builds Qt for Windows first, some 30 minutes of both cores.
# It runs beside the Linux stages at idle priority, taking only the time
# they leave: the test stages spend much of theirs waiting for windows,
# sounds and the soak's minutes. A machine that has it built skips this.
qt_pid=
if [[ $windows != 0 ]]; then
  mkdir -p build
  setsid chrt --idle 0 nice -n 19 scripts/build-qt-windows.sh >build/qt-windows.log 2>&1 &
  qt_pid=$!
fi

# The window tests need a real X display: a private Xvfb, gone with the script.
display=$(scripts/free-display.sh)
# -noreset: a server that resets when its last client leaves refuses the
# next test's connection while it does.
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; [[ -z "$qt_pid" ]] || kill -- -"$qt_pid" 2>/dev/null || true
      "$PWD"/scripts/stop-pulse.sh; "$PWD"/scripts/stop-chronyd.sh' EXIT
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

# The sound tests play into the null sink of a private PulseAudio server and
# record its monitor, never a real output; PULSE_SERVER sends every test
# there. The trap above ends it.
pulse_env=$(scripts/start-pulse.sh)
eval "$pulse_env"

# The SNTP tests ask a real NTP server too: chronyd on 127.0.0.1, its clock
# 5 s ahead under faketime, serving without touching the machine's clock;
# KAIROS_CHRONY_PORT tells the tests where. The trap above ends it.
chrony_env=$(scripts/start-chronyd.sh)
eval "$chrony_env"

# Each stage's start, with the minutes gone so far, for reading a slow run.
stage() { echo "== $1 (at $((SECONDS / 60)) min $((SECONDS % 60)) s)"; }

passed=0
skipped_all=0
run_ctest() {
  local dir=$1 log
  shift  # the rest: further ctest options
  log=$(mktemp)
  # A test that hangs fails after ten minutes instead of using up CI's time
  # (the longest, a simulated year under the sanitizers, takes some four on a
  # loaded machine).
  if ! (cd "$dir" && ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@") >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  grep -E "tests passed|Skipped|Total Test time" "$log" || true
  # CTest counts a skipped test as passed; the summary does not.
  local total skipped
  total=$(sed -nE 's/.*tests passed, 0 tests failed out of ([0-9]+).*/\1/p' "$log")
  skipped=$(grep -c "(Skipped)" "$log" || true)
  passed=$((passed + total - skipped))
  skipped_all=$((skipped_all + skipped))
  rm -f "$log"
}

stage "unit tests"
cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release
run_ctest build/release

# The package of what was just built, installed and run as an ordinary user.
stage "package"
scripts/package-test.sh build/release
passed=$((passed + 1))

stage "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -G Ninja -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKAIROS_SANITIZE=address,undefined \
  -DKAIROS_BUILD_UI=ON -DKAIROS_BUILD_BENCH=OFF >/dev/null
cmake --build build/asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks that belong to the system libraries Qt loads, not to the clock.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
run_ctest build/asan

# The real program, alone on the machine: an alarm a minute, the chime,
# status messages and a synchronisation a minute against a private chronyd,
# with no right to set the clock; then the sanitized program closed from its
# menu must leave no leak.
stage "soak of the running clock"
scripts/soak.sh 2
stage "leaks at an exit from the menu"
scripts/leak-check.sh
passed=$((passed + 2))

stage "media tests under ThreadSanitizer"
# The media library holds the program's worker threads (the chime worker, the
# asynchronous plays, launched programs). Debian 12's gcc
# ThreadSanitizer cannot lay out its shadow memory under the larger address
# randomisation of newer kernels ("unexpected memory mapping"), so the tests
# run, and are discovered, without it (setarch -R).
cmake -G Ninja -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DKAIROS_SANITIZE=thread \
  -DKAIROS_BUILD_UI=OFF -DKAIROS_BUILD_BENCH=OFF \
  "-DCMAKE_CROSSCOMPILING_EMULATOR=setarch;$(uname -m);-R" >/dev/null
cmake --build build/tsan --target media_tests media_sound_tests
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=1"
# Labels select the two programs built; the others' placeholders have none.
run_ctest build/tsan -L '^(unit|sound)$'

stage "fuzzers"
scripts/fuzz.sh
fuzzers=$(find fuzz -maxdepth 1 -name '*Fuzz.cpp' | wc -l)

if [[ $windows != 0 ]]; then
  stage "Windows build, tests under wine"
  if ! wait "$qt_pid"; then
    qt_pid=
    cat build/qt-windows.log
    exit 1
  fi
  qt_pid=
  scripts/windows-build.sh
  # Each Windows program is one CTest test; its cases are counted from
  # GoogleTest's own summary.
  log=$(mktemp)
  if ! (cd build/windows && ctest -V --timeout 600 -j "$(nproc)") >"$log" 2>&1; then
    grep -vE '^[0-9]+: \[ +(OK|RUN) +\]' "$log"
    exit 1
  fi
  win_passed=$(sed -nE 's/.*\[  PASSED  \] ([0-9]+) tests?.*/\1/p' "$log" | awk '{s += $1} END {print s + 0}')
  win_skipped=$(sed -nE 's/.*\[  SKIPPED \] ([0-9]+) tests?.*/\1/p' "$log" | awk '{s += $1} END {print s + 0}')
  echo "Windows, under wine: $win_passed passed, 0 failed, $win_skipped skipped"
  passed=$((passed + win_passed))
  skipped_all=$((skipped_all + win_skipped))
  rm -f "$log"

  # The real kairos.exe from its program folder, as a user meets it; then the
  # zip and the installer made of that folder, installed and removed.
  stage "kairos.exe under wine, the zip and the installer"
  scripts/wine-proof.sh build/windows/stage build/windows/proof
  scripts/windows-package.sh build/windows/stage "$(scripts/project-version.sh)" build/package
  scripts/windows-installer-test.sh "build/package/kairos-$(scripts/project-version.sh)-setup.exe"
  passed=$((passed + 2))
fi

stage "done"
echo "kairos: $((passed + fuzzers)) passed, 0 failed, $skipped_all skipped"
