# shellcheck shell=bash
# Sourced by the scripts that let the real clock run on its own (soak.sh,
# leak-check.sh). The clock sets the machine's clock after every successful
# synchronisation, and it has exactly two ways to do it: clock_settime, which
# needs CAP_SYS_TIME, and else systemd-timedated's SetTime on the system bus
# (as root, polkit grants it without asking). So the program runs
#   - with CAP_SYS_TIME gone from its bounding set, which no exec can bring
#     back: clock_settime fails with EPERM, in the clock and in every program
#     it starts;
#   - with DBUS_SYSTEM_BUS_ADDRESS naming a socket that does not exist, so the
#     second way finds no bus.
# Its synchronisation then fails, and the clock reports the failure.
#
#   guarded=(...)           the command prefix that runs a program that way;
#                           needs clock_guard_init first
#   clock_guard_init DIR    makes the prefix; DIR holds the missing socket
#   clock_guard_check PID EXE
#                           waits until PID runs EXE, then ends the calling
#                           script (after killing PID) unless both guards hold

# Capability number of CAP_SYS_TIME in the /proc/PID/status masks.
clock_guard_sys_time_bit=25
# auxv key of AT_SECURE: when set, the C library and sd-bus ignore
# DBUS_SYSTEM_BUS_ADDRESS and would reach the real system bus.
clock_guard_at_secure=23

clock_guard_init() {
  clock_guard_bus="$1/no-system-bus/socket"
  # shellcheck disable=SC2034  # for the script that sources this one
  guarded=(env "DBUS_SYSTEM_BUS_ADDRESS=unix:path=$clock_guard_bus"
    setpriv --bounding-set=-sys_time --inh-caps=-all --no-new-privs --)
}

clock_guard_fail() {
  echo "clock guard: $2; the program (pid $1) is stopped" >&2
  kill -KILL "$1" 2>/dev/null || true
  exit 1
}

clock_guard_check() {
  local pid=$1 exe=$2 field value mask address _
  for _ in $(seq 100); do
    [[ "$(readlink "/proc/$pid/exe" 2>/dev/null)" == "$exe" ]] && break
    kill -0 "$pid" 2>/dev/null || { echo "clock guard: $exe (pid $pid) ended before it could be checked" >&2; exit 1; }
    sleep 0.1
  done
  [[ "$(readlink "/proc/$pid/exe" 2>/dev/null)" == "$exe" ]] ||
    clock_guard_fail "$pid" "it does not run $exe"

  for field in CapBnd CapPrm CapEff CapAmb; do
    value=$(awk -v f="$field:" '$1 == f { print $2 }' "/proc/$pid/status")
    [[ -n "$value" ]] || clock_guard_fail "$pid" "no $field in /proc/$pid/status"
    mask=$((16#$value))
    if (((mask >> clock_guard_sys_time_bit) & 1)); then
      clock_guard_fail "$pid" "$field $value still holds CAP_SYS_TIME"
    fi
  done

  value=$(od -An -v -t u8 "/proc/$pid/auxv" | xargs -n2 |
    awk -v k="$clock_guard_at_secure" '$1 == k { print $2 }')
  [[ "$value" == 0 ]] || clock_guard_fail "$pid" "AT_SECURE is '${value}': the bus address would be ignored"

  address=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^DBUS_SYSTEM_BUS_ADDRESS=//p')
  [[ "$address" == "unix:path=$clock_guard_bus" ]] ||
    clock_guard_fail "$pid" "its system bus address is '$address'"
  [[ ! -e "$clock_guard_bus" ]] || clock_guard_fail "$pid" "$clock_guard_bus exists"
}
