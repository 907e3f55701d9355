#!/usr/bin/env bash
# Starts chronyd as an NTP server on 127.0.0.1 (and ::1 where the machine has
# it) for the SNTP tests, with its
# clock 5 s ahead of the machine's (libfaketime), so that a client sees a known
# offset. It serves only: -x keeps it off the machine's clock, and it has no
# command port and no files outside its own folder.
#
# Prints the shell assignments the caller needs; use it as
#     eval "$(scripts/start-chronyd.sh)"      ...      scripts/stop-chronyd.sh
# KAIROS_CHRONY_PORT is the server's UDP port; KAIROS_CHRONY_PID and
# KAIROS_CHRONY_DIR are for stop-chronyd.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

dir=$(mktemp -d "${TMPDIR:-/tmp}/kairos-chrony-XXXXXX")
chmod 755 "$dir"
# A port the system just handed out is free, barring a race with another
# program, which the readiness check below would reveal.
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# The same port on ::1, when the machine has IPv6 and the port is free there.
ipv6=$(/usr/bin/python3 -c '
import socket, sys
try:
    s = socket.socket(socket.AF_INET6, socket.SOCK_DGRAM); s.bind(("::1", int(sys.argv[1]))); print(1)
except OSError:
    pass' "$port")

cat >"$dir/chrony.conf" <<CONF
port $port
bindaddress 127.0.0.1
allow 127.0.0.1
${ipv6:+bindaddress ::1}
${ipv6:+allow ::1}
local stratum 1
cmdport 0
bindcmdaddress /
pidfile $dir/chronyd.pid
CONF

# chronyd stays the user that starts it: as root, -u root keeps it from
# switching to its system user, for whom this folder is not made; -U lets
# another user run it at all.
options=(-x -d -f "$dir/chrony.conf")
if [[ $(id -u) -eq 0 ]]; then options+=(-u root); else options+=(-U); fi
# libfaketime preloaded straight into chronyd rather than through the
# faketime wrapper, so that chronyd is the process started here and stopping
# it leaves no wrapper behind.
preload=$(dpkg -L libfaketime | grep '/libfaketime.so.1$')
LD_PRELOAD=$preload FAKETIME=+5s chronyd "${options[@]}" </dev/null >"$dir/log" 2>&1 &
pid=$!

stop() {
  kill "$pid" 2>/dev/null || true
  rm -rf "$dir"
}

for _ in $(seq 50); do
  if "$root/scripts/ntpdig-at.sh" "$port" -t 1 127.0.0.1 >/dev/null 2>&1; then ready=1; break; fi
  if ! kill -0 "$pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if [[ -z "${ready:-}" ]] || ! grep -q "Disabled control of system clock" "$dir/log"; then
  echo "start-chronyd.sh: chronyd did not start serving:" >&2
  cat "$dir/log" >&2 || true
  stop
  exit 1
fi

# KAIROS_CHRONY_IPV6 tells the tests that ::1 answers too.
if [[ -n "$ipv6" ]] && "$root/scripts/ntpdig-at.sh" "$port" -t 1 ::1 >/dev/null 2>&1; then
  printf 'export KAIROS_CHRONY_IPV6=1\n'
fi
printf 'export KAIROS_CHRONY_PORT=%q KAIROS_CHRONY_PID=%q KAIROS_CHRONY_DIR=%q\n' "$port" "$pid" "$dir"
