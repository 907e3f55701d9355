# shellcheck shell=bash
# Sourced by the measuring scripts that start programs on a private virtual
# display of their own.
#
#   ours PID              true while PID is a child of this shell
#   running PID           the same, and not yet ended
#   stop PID...           ends them: TERM, up to 2 s, then KILL
#   start_private_xvfb NAME TMP
#                         starts Xvfb (-noreset) on a free display; sets
#                         display and xvfb_pid, or ends the script
#   build_bench_program NAME BUILD TYPE TARGET
#                         builds bench/TARGET in BUILD, or ends the script
#   start_measuring NAME  makes tmp, starts a private Xvfb and sets the traps
#                         that end it, the program in $program and tmp

# Only our own children get signalled: a PID that has ended may already
# belong to somebody else.
ours() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  local fields
  read -ra fields <<<"$stat"
  [[ "${fields[1]}" == "$$" ]]
}

# A child that has ended but is not yet reaped still has a /proc entry.
running() {
  ours "$1" && [[ "$(awk '/^State:/ { print $2 }' "/proc/$1/status" 2>/dev/null)" != Z ]]
}

stop() {
  local pid
  for pid in "$@"; do
    if ours "$pid"; then kill "$pid" 2>/dev/null || true; fi
  done
  for _ in $(seq 20); do
    local left=0
    for pid in "$@"; do ours "$pid" && left=1; done
    ((left)) || return 0
    sleep 0.1
  done
  for pid in "$@"; do
    if ours "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
  done
}

start_private_xvfb() {
  local name=$1 tmp=$2
  display=$("$(dirname "${BASH_SOURCE[0]}")/free-display.sh")
  # -noreset: the server stays as it is while programs come and go.
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >"$tmp/Xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  # A display answering while our Xvfb is gone means somebody else took the
  # number between the check and the start.
  if ! running "$xvfb_pid" || ! DISPLAY=$display xdpyinfo >/dev/null 2>&1; then
    echo "$name: Xvfb did not start on $display:" >&2
    cat "$tmp/Xvfb.log" >&2
    exit 1
  fi
}

# Configures a build folder for the benchmark programs and builds one of
# them, ending the script when it does not come out.
build_bench_program() {
  local name=$1 build=$2 build_type=$3 target=$4 root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  "$root/scripts/install-deps.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
    -DKAIROS_BUILD_UI=ON -DKAIROS_BUILD_TESTS=OFF -DKAIROS_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" --target "$target"
  [[ -x "$build/bench/$target" ]] || { echo "$name: $build/bench/$target was not built" >&2; exit 1; }
}

# A temporary folder, a private Xvfb, and traps that end both and the
# program whose PID is in $program on any exit of the script.
start_measuring() {
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/kairos-$1.XXXXXX")
  xvfb_pid=
  program=
  trap end_measuring EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  start_private_xvfb "$1" "$tmp"
}

end_measuring() {
  [[ -n "$program" ]] && stop "$program"
  [[ -n "$xvfb_pid" ]] && stop "$xvfb_pid"
  rm -rf "$tmp"
}
