#!/usr/bin/env bash
# Builds Kairos and runs every test: the unit tests, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzzer for a
# short while (FUZZ_SECONDS, 30 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The window tests need a real X display: a private Xvfb, gone with the script.
display=$(scripts/free-display.sh)
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

passed=0
skipped_all=0
run_ctest() {
  local dir=$1 log
  log=$(mktemp)
  if ! (cd "$dir" && ctest --output-on-failure -j "$(nproc)") >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  grep -E "tests passed|Skipped" "$log" || true
  # CTest counts a skipped test as passed; the summary does not.
  local total skipped
  total=$(sed -nE 's/.*tests passed, 0 tests failed out of ([0-9]+).*/\1/p' "$log")
  skipped=$(grep -c "(Skipped)" "$log" || true)
  passed=$((passed + total - skipped))
  skipped_all=$((skipped_all + skipped))
  rm -f "$log"
}

echo "== unit tests"
cmake -G Ninja -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release
run_ctest build/release

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -G Ninja -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKAIROS_SANITIZE=address,undefined \
  -DKAIROS_BUILD_UI=ON -DKAIROS_BUILD_BENCH=OFF >/dev/null
cmake --build build/asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks that belong to the system libraries Qt loads, not to the clock.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
run_ctest build/asan

echo "== fuzzers"
scripts/fuzz.sh
fuzzers=$(find fuzz -maxdepth 1 -name '*Fuzz.cpp' | wc -l)

echo "kairos: $((passed + fuzzers)) passed, 0 failed, $skipped_all skipped"
