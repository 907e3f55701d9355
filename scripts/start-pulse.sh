#!/usr/bin/env bash
# Starts a private PulseAudio server whose only output is the null sink
# "kairos_test", for the sound tests: nothing reaches a loudspeaker. Works as
# root in CI and headless, and beside a desktop's own server.
#
# Prints the shell assignments the caller needs; use it as
#     eval "$(scripts/start-pulse.sh)"      ...      scripts/stop-pulse.sh
# PULSE_SERVER points every client at this server; KAIROS_PULSE_PID and
# KAIROS_PULSE_DIR are for stop-pulse.sh.
set -euo pipefail

dir=$(mktemp -d "${TMPDIR:-/tmp}/kairos-pulse-XXXXXX")
socket=$dir/native
mkdir -p "$dir/runtime" "$dir/state" "$dir/config"

# Everything the daemon keeps lives in $dir; no display (no X11 modules, no
# autolaunched D-Bus), no realtime scheduling through rtkit; -n: none of the
# default modules, so no hardware sink appears beside the null sink. Format
# and rate of the sink are those the tests record at, so the monitor gives
# back the samples as they were mixed.
env -u DISPLAY -u WAYLAND_DISPLAY -u PULSE_SERVER \
  HOME="$dir" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime" \
  PULSE_RUNTIME_PATH="$dir/runtime" PULSE_STATE_PATH="$dir/state" \
  DBUS_SESSION_BUS_ADDRESS=disabled: \
  pulseaudio --daemonize=no --system=false -n --exit-idle-time=-1 --disallow-exit \
    --use-pid-file=no --realtime=no --high-priority=no --log-target=stderr \
    --load="module-null-sink sink_name=kairos_test format=float32le rate=48000 channels=1 norewinds=1" \
    --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
    </dev/null >"$dir/log" 2>&1 &
pid=$!

stop() {
  kill "$pid" 2>/dev/null || true
  rm -rf "$dir"
}

for _ in $(seq 100); do
  if PULSE_SERVER=unix:$socket pactl info >/dev/null 2>&1; then break; fi
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if ! PULSE_SERVER=unix:$socket pactl set-default-sink kairos_test >/dev/null 2>&1; then
  echo "start-pulse.sh: the sound server did not start:" >&2
  cat "$dir/log" >&2 || true
  stop
  exit 1
fi

printf 'export PULSE_SERVER=%q KAIROS_PULSE_PID=%q KAIROS_PULSE_DIR=%q\n' "unix:$socket" "$pid" "$dir"
