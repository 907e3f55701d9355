#!/usr/bin/env bash
# Builds and runs the clock-text benchmarks in Release, then compares the
# clock's formatter with strftime and ICU on the same time-of-day output,
# and one whole tick of the clock window with the tick of a minimal Qt clock.
# Extra arguments go to the benchmark (e.g. --benchmark_repetitions=5).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKAIROS_BUILD_UI=ON -DKAIROS_BUILD_TESTS=OFF -DKAIROS_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target clocktext_bench shell_bench

results="$build/clocktext_bench.json"
"$build/bench/clocktext_bench" --benchmark_out="$results" --benchmark_out_format=json "$@"

python3 - "$results" <<'PY'
import json, sys

with open(sys.argv[1]) as f:
    runs = json.load(f)["benchmarks"]

# With repetitions the median is the figure to trust; otherwise the single run.
def figure(name, key):
    medians = [r for r in runs if r["run_name"] == name and r.get("aggregate_name") == "median"]
    plain = [r for r in runs if r["run_name"] == name and r.get("run_type") == "iteration"]
    chosen = medians or plain
    if not chosen:
        return None
    return sum(r[key] for r in chosen) / len(chosen)

def ns(name):
    return figure(name, "cpu_time")

print()
ours, icu, libc = ns("FormatMoment/time"), ns("ICU/time"), ns("strftime/time")
if None not in (ours, icu, libc):
    print(f"time of day, 'ampm h:nn:ss' vs ICU 'a h:mm:ss' vs strftime '%p %I:%M:%S':")
    print(f"  FormatMoment/ICU      = {ours / icu:.3f}  (ICU takes {icu / ours:.1f}x as long; goal >= 10x)")
    print(f"  FormatMoment/strftime = {ours / libc:.3f}  (goal <= 2)")

for name in ("RenderTemplate/time", "RenderTemplate/all_tokens"):
    t = ns(name)
    if t is not None:
        print(f"  {name:<26} {t:8.1f} ns  (goal < 1000 ns)")

names = dict.fromkeys(r["run_name"] for r in runs)
ours = [n for n in names if n.split("/")[0] in ("FormatMoment", "RenderTemplate")]
most = max(ours, key=lambda n: figure(n, "allocs_per_call") or 0, default=None)
if most is not None:
    print(f"  most allocations per call: {figure(most, 'allocs_per_call'):.2f} ({most}; goal <= 1)")
PY

ticks="$build/shell_bench.json"
"$build/bench/shell_bench" --benchmark_out="$ticks" --benchmark_out_format=json "$@"
python3 - "$ticks" <<'PY'
import json, sys

with open(sys.argv[1]) as f:
    runs = json.load(f)["benchmarks"]

def ns(name):
    medians = [r["cpu_time"] for r in runs if r["run_name"] == name and r.get("aggregate_name") == "median"]
    plain = [r["cpu_time"] for r in runs if r["run_name"] == name and r.get("run_type") == "iteration"]
    chosen = medians or plain
    return sum(chosen) / len(chosen) if chosen else None

print()
clock, floor = ns("BM_ClockTick/defaults"), ns("BM_MinimalQtTick")
if None not in (clock, floor):
    print(f"one tick with the default templates: {clock / 1000:.2f} us (goal < 20 us)")
    print(f"  against a label set from QTime:    {floor / 1000:.2f} us (ratio {clock / floor:.2f})")
PY
