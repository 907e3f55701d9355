#!/usr/bin/env bash
# Builds and runs the clock-text benchmarks in Release, then compares the
# clock's formatter with strftime and ICU on the same time-of-day output,
# and one whole tick of the clock window with the tick of a minimal Qt clock,
# and the INI store's parse and save with inih's on a 1,000-section file.
# Extra arguments go to the benchmark (e.g. --benchmark_repetitions=5).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKAIROS_BUILD_UI=ON -DKAIROS_BUILD_TESTS=OFF -DKAIROS_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target clocktext_bench shell_bench settings_bench

results=()
for bench in clocktext_bench shell_bench settings_bench; do
  results+=("$build/$bench.json")
  "$build/bench/$bench" --benchmark_out="$build/$bench.json" --benchmark_out_format=json "$@"
done
python3 "$root/scripts/bench-summary.py" "${results[@]}"
