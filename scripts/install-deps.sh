#!/usr/bin/env bash
# Installs the Debian packages Kairos needs to build, run and test.
# Idempotent: asks apt only for what is missing. Needs root on a fresh machine.
set -euo pipefail

packages=(
  # build
  cmake ninja-build ccache g++ clang libclang-rt-14-dev pkg-config
  # libraries
  qt6-base-dev qt6-qpa-plugins libicu-dev
  # Qt's own dialogs and buttons in Japanese
  qt6-translations-l10n
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev libinih-dev
  # sound: decoding and output, and the test sound server with its tools
  libsndfile1-dev libpulse-dev pulseaudio pulseaudio-utils
  # a display for headless runs, a screenshot tool and the Japanese font
  xvfb xauth x11-utils x11-xserver-utils imagemagick fonts-ipafont-gothic
  # finding and answering the second copy's notice in the single-instance test
  xdotool libxcb1-dev
  # an XEmbed notification area for the icon's process test, and a window
  # manager for the task-bar hints test
  trayer openbox
  # a private session bus and a notification service on it, for the
  # notification tests
  dbus dunst
  # a headless Wayland compositor and Qt's Wayland client, for the native
  # Wayland process test
  weston qt6-wayland
  # xclock, a peer in the idle-cost measurement
  x11-apps
  # clock setting through systemd-timedated; the NTP server, its shifted
  # clock and the reference client of the SNTP tests
  libsystemd-dev chrony faketime ntpsec-ntpdig
  # the package: its dependencies, and the checks of the desktop entry and
  # the metainfo
  dpkg-dev file desktop-file-utils appstream
  # the soak run's private network namespace with only loopback
  iproute2
  # the Windows build and its tests: the cross compiler, GoogleTest's source
  # for it, and wine to run them
  g++-mingw-w64-x86-64-posix googletest wine wine64
  # the Windows packages: the installer's compiler and the portable zip
  nsis zip
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  sudo=sudo
else
  sudo=
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
