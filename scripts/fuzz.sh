#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan, and
# runs each for FUZZ_SECONDS (default 60) on a scratch copy of its corpus,
# as many at a time as there are cores.
# With FUZZ_MERGE=1 what the runs learned is minimised into the corpus kept
# in the repository (fuzz/corpus/); otherwise the repository is untouched.
# Exits non-zero when any target finds a crash, a leak, a hang or a broken
# invariant; the finding is kept under build/fuzz/findings/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
seconds=${FUZZ_SECONDS:-60}
merge=${FUZZ_MERGE:-0}

"$root/scripts/install-deps.sh"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# target:corpus folder
targets=(
  fuzz_format_moment:FormatMoment
  fuzz_render_template:RenderTemplate
  fuzz_template_change:TemplateChange
  fuzz_ini_file:IniFile
  fuzz_alarm_section:AlarmSection
  fuzz_command_line:CommandLine
  fuzz_sntp_reply:SntpReply
  fuzz_server_address:ServerAddress
  fuzz_version_info:VersionInfo
  fuzz_wav_file:WavFile
)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAIROS_BUILD_FUZZ=ON -DKAIROS_SANITIZE=address,undefined \
  -DKAIROS_BUILD_UI=OFF -DKAIROS_BUILD_TESTS=OFF -DKAIROS_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
# Quiet unless it fails, when the compiler's words are what matters.
if ! cmake --build "$build" --target "${targets[@]%%:*}" >"$build/build.log" 2>&1; then
  grep -E -A5 'FAILED|error' "$build/build.log" | head -n 60
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$build/findings"
mkdir -p "$findings"

# One target's run; its verdict is the file $scratch/<target>.verdict.
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
    echo "$target: clean, $seconds s, $runs runs, $rate exec/s" >"$scratch/$target.verdict"
  else
    { echo "$target: FAILED (full log: $log)"; tail -n 40 "$log"; } >"$scratch/$target.verdict"
    return 1
  fi
}

# Keeps only the inputs that add coverage, old and new together.
merge_back() {
  local target=$1 corpus=$2 merged="$scratch/$1.merged"
  mkdir -p "$merged"
  "$build/fuzz/$target" -merge=1 "$merged" "$root/fuzz/corpus/$corpus" "$scratch/$target" \
    >"$build/$target.merge.log" 2>&1
  rm -f "$root/fuzz/corpus/$corpus/"*
  cp "$merged/"* "$root/fuzz/corpus/$corpus/"
  echo "$target: corpus now $(ls "$root/fuzz/corpus/$corpus" | wc -l) inputs"
}

failed=0
jobs=$(nproc)
pids=()
for entry in "${targets[@]}"; do
  run "${entry%%:*}" "${entry#*:}" &
  pids+=($!)
  if ((${#pids[@]} >= jobs)); then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
for entry in "${targets[@]}"; do cat "$scratch/${entry%%:*}.verdict"; done

if ((failed == 0 && merge == 1)); then
  for entry in "${targets[@]}"; do merge_back "${entry%%:*}" "${entry#*:}"; done
fi
exit $failed
