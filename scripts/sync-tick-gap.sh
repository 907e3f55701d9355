#!/usr/bin/env bash
# How long the time line stands still while the clock is corrected against a
# time server that never answers (a silent UDP socket on 127.0.0.1): the
# longest gap between two visible changes of the line, with the correction on
# its worker thread and, in the same program run, inside the tick on the
# window thread as the clock used to run it. The real window paints on a
# private virtual display; the program runs [times] times (3 by default),
# each time [runs] corrections per mode (3 by default).
#
# The correction's setter refuses and counts, so the machine's clock is never
# touched, and nothing leaves loopback.
#
# KAIROS_BUILD_TYPE picks another build type than Release; it is then built
# in build/tickgap, so that build/bench stays as scripts/bench.sh made it.
set -euo pipefail

times=${1:-3}
runs=${2:-3}
for n in "$times" "$runs"; do
  if ! [[ "$n" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [times] [runs]   (whole numbers, 3 and 3 by default)" >&2
    exit 2
  fi
done

root=$(cd "$(dirname "$0")/.." && pwd)
build_type=${KAIROS_BUILD_TYPE:-Release}
if [[ "$build_type" == Release ]]; then
  build="$root/build/bench"
else
  build="$root/build/tickgap"
fi

# shellcheck source=scripts/own-children.sh
source "$root/scripts/own-children.sh"
build_bench_program sync-tick-gap "$build" "$build_type" sync_tick_gap
exe="$build/bench/sync_tick_gap"

start_measuring sync-tick-gap

# An empty home and runtime directory, and no session bus: the window's
# notification-area icon finds nobody, as on a bare display.
home="$tmp/home"
runtime="$tmp/run"
mkdir -p "$home" "$runtime"
chmod 700 "$runtime"

echo "Measuring $times times, $runs corrections per mode each, on $display ($build_type) ..." >&2
for i in $(seq "$times"); do
  env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY -u SESSION_MANAGER \
    -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME \
    DISPLAY="$display" QT_QPA_PLATFORM=xcb HOME="$home" XDG_RUNTIME_DIR="$runtime" \
    "$exe" "$runs" >"$tmp/run$i.out" 2>"$tmp/run$i.err" &
  program=$!
  status=0
  wait "$program" || status=$?
  program=
  if ((status != 0)); then
    echo "sync-tick-gap: run $i failed (exit $status); it said:" >&2
    sed 's/^/  /' "$tmp/run$i.out" "$tmp/run$i.err" >&2
    exit 1
  fi
  sed "s/^/run $i: /" "$tmp/run$i.out"
done

python3 - "$tmp" "$times" <<'PY'
import re, sys

folder, times = sys.argv[1], int(sys.argv[2])
line = re.compile(r"^(\w+): longest ([\d.]+) ms, p99 ([\d.]+) ms, changes (\d+)")
modes = {}
for i in range(1, times + 1):
    with open(f"{folder}/run{i}.out") as f:
        for text in f:
            m = line.match(text)
            if m:
                modes.setdefault(m[1], []).append((float(m[2]), float(m[3]), int(m[4])))

print(f"\nover {times} program runs (the range of each figure):")
for mode in ("thread", "blocking"):
    rows = modes.get(mode, [])
    if not rows:
        print(f"  {mode:<9} no figures")
        continue
    longest, p99, changes = zip(*rows)
    print(f"  {mode:<9} longest {min(longest):.1f}-{max(longest):.1f} ms, "
          f"p99 {min(p99):.1f}-{max(p99):.1f} ms, changes {min(changes)}-{max(changes)}")
PY
