#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan, and
# runs each for FUZZ_SECONDS (default 30) on a scratch copy of its seed
# corpus, so what the fuzzer learns never lands in the repository.
# Exits non-zero when any target finds a crash, a leak, a hang or a broken
# invariant; the finding is kept under build/fuzz/findings/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
seconds=${FUZZ_SECONDS:-30}

"$root/scripts/install-deps.sh"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAIROS_BUILD_FUZZ=ON -DKAIROS_SANITIZE=address,undefined \
  -DKAIROS_BUILD_UI=OFF -DKAIROS_BUILD_TESTS=OFF -DKAIROS_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzz_format_moment fuzz_render_template fuzz_ini_file fuzz_alarm_section fuzz_command_line fuzz_sntp_reply fuzz_version_info >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$build/findings"
mkdir -p "$findings"

failed=0
run() {
  local target=$1 corpus=$2
  local log="$build/$target.log"
  mkdir -p "$scratch/$target"
  cp "$root/fuzz/corpus/$corpus/"* "$scratch/$target/"
  if "$build/fuzz/$target" "$scratch/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-" >"$log" 2>&1; then
    local runs rate
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "$target: clean, $seconds s, $runs runs, $rate exec/s"
  else
    echo "$target: FAILED (full log: $log)"
    tail -n 40 "$log"
    failed=1
  fi
}

run fuzz_format_moment FormatMoment
run fuzz_render_template RenderTemplate
run fuzz_ini_file IniFile
run fuzz_alarm_section AlarmSection
run fuzz_command_line CommandLine
run fuzz_sntp_reply SntpReply
run fuzz_version_info VersionInfo
exit $failed
