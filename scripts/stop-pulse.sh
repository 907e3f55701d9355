#!/usr/bin/env bash
# Ends the sound server of start-pulse.sh (from the variables it exported)
# and removes its folder. Harmless when there is none.
set -uo pipefail

pid=${KAIROS_PULSE_PID:-}
dir=${KAIROS_PULSE_DIR:-}
if [[ -n "$pid" ]] && kill "$pid" 2>/dev/null; then
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
fi
if [[ "$dir" == */kairos-pulse-* ]]; then rm -rf "$dir"; fi
exit 0
