#!/usr/bin/env bash
# Prints the first X display number nobody uses, as ":N".
for n in $(seq 99 199); do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then
    echo ":$n"
    exit 0
  fi
done
echo "no free X display between :99 and :199" >&2
exit 1
