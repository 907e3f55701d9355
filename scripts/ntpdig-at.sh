#!/usr/bin/env bash
# Runs ntpdig against a server on a port other than 123. ntpdig has no port
# option; its own name lookup is handed the port instead, and its code runs
# as shipped.
#     scripts/ntpdig-at.sh PORT [ntpdig options] HOST
set -euo pipefail
port=$1
shift
ntpdig=$(command -v ntpdig)
# Debian's python3, which holds ntpdig's library, whatever python3 is first
# on the PATH.
exec /usr/bin/python3 - "$ntpdig" "$port" "$@" <<'PY'
import runpy, socket, sys
ntpdig, port = sys.argv[1], int(sys.argv[2])
lookup = socket.getaddrinfo
socket.getaddrinfo = lambda host, service, *rest, **named: lookup(
    host, port if service == 123 else service, *rest, **named)
sys.argv = ["ntpdig"] + sys.argv[3:]
runpy.run_path(ntpdig, run_name="__main__")
PY
