#!/usr/bin/env bash
# Asks the local chronyd of start-chronyd.sh (clock 5 s ahead) COUNT times
# (default 20) with the clock's SNTP client and COUNT times with ntpdig, over
# 127.0.0.1 and, where the machine has it, ::1, and prints the offsets each
# measured and how long an exchange took: ours is one exchange in a running
# program, ntpdig's a whole run of the tool.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/ntp-compare"
count=${1:-20}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKAIROS_BUILD_UI=OFF -DKAIROS_BUILD_TESTS=OFF -DKAIROS_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target sntp_probe >/dev/null

trap '"$root/scripts/stop-chronyd.sh"' EXIT
eval "$("$root/scripts/start-chronyd.sh")"

ours=$(mktemp)
theirs=$(mktemp)
trap 'rm -f "$ours" "$theirs"; "$root/scripts/stop-chronyd.sh"' EXIT

hosts=(127.0.0.1)
[[ -n "${KAIROS_CHRONY_IPV6:-}" ]] && hosts+=(::1)
for host in "${hosts[@]}"; do
  : >"$ours"
  : >"$theirs"
  "$build/bench/sntp_probe" "$KAIROS_CHRONY_PORT" "$count" "$host" >"$ours"
  for _ in $(seq "$count"); do
    start=$(date +%s%N)
    offset=$("$root/scripts/ntpdig-at.sh" "$KAIROS_CHRONY_PORT" -j "$host" | sed -n 's/.*"offset":\([-0-9.]*\).*/\1/p')
    end=$(date +%s%N)
    echo "$offset $(((end - start) / 1000))e-3" >>"$theirs"
  done

  echo "== $host"
  python3 - "$ours" "$theirs" <<'PY'
import statistics, sys

def load(path):
    rows = [line.split() for line in open(path) if line.strip()]
    return [float(r[0]) for r in rows], [float(r[1]) for r in rows]

def show(name, offsets, times):
    print(f"{name:8} n={len(offsets):3}  offset median {statistics.median(offsets):.6f} s "
          f"(min {min(offsets):.6f}, max {max(offsets):.6f})  "
          f"time median {statistics.median(times):.3f} ms (min {min(times):.3f}, max {max(times):.3f})")

ours, theirs = load(sys.argv[1]), load(sys.argv[2])
show("kairos", *ours)
show("ntpdig", *theirs)
gap = statistics.median(ours[0]) - statistics.median(theirs[0])
print(f"offset agreement: medians differ by {gap * 1000:+.3f} ms")
PY
done
