#!/usr/bin/env bash
# Builds Qt for Windows (Core, Gui, Widgets, the windows platform plugin and
# the windowsvista style) once per machine, from Debian's own qt6-base
# source, cross-compiled with MinGW-w64, and installs it in a cache folder
# outside the clone: $KAIROS_QT_WINDOWS, /opt/kairos-qt6-mingw/6.4.2 unless
# set. A complete folder is left alone, so only a fresh machine pays the
# build (some 30 minutes on 2 cores). Prints where Qt is.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
version=6.4.2
prefix=${KAIROS_QT_WINDOWS:-/opt/kairos-qt6-mingw/$version}
work=${KAIROS_QT_WINDOWS_WORK:-/var/tmp/kairos-qt6-mingw-build}
marker=$prefix/.kairos-complete

if [[ -f "$marker" ]]; then
  echo "$prefix"
  exit 0
fi

say() { echo "build-qt-windows: $*" >&2; }

# One build at a time: a second caller waits for the first, then finds Qt
# built.
mkdir -p "$(dirname "$work")"
exec 9>"$work.lock"
if ! flock -n 9; then
  say "waiting for the build that is running"
  flock 9
fi
if [[ -f "$marker" ]]; then
  echo "$prefix"
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then sudo=sudo; else sudo=; fi
needed=()
for p in g++-mingw-w64-x86-64-posix dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools; do
  [[ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)" == "install ok installed" ]] || needed+=("$p")
done
if ((${#needed[@]} > 0)); then
  say "installing ${needed[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${needed[@]}" >/dev/null
fi

# ---- the source, through an apt configuration of our own -----------------------

mkdir -p "$work"
source_dir=$(find "$work" -maxdepth 1 -type d -name "qt6-base-$version*" | head -n 1)
if [[ -z "$source_dir" ]]; then
  apt=$work/apt
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d"
  # The machine's own Debian sources as deb-src: no host is named here.
  : >"$apt/sources.list"
  for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$list" ]] && sed -n 's/^deb \(.*\)$/deb-src \1/p' "$list" >>"$apt/sources.list"
  done
  for list in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$list" ]] && sed 's/^Types:.*/Types: deb-src/' "$list" >"$apt/sources.list.d/$(basename "$list")"
  done
  cat >"$apt/apt.conf" <<CONF
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/sources.list.d";
Dir::State::Lists "$apt/lists";
Dir::Cache "$apt/cache";
CONF
  # As root apt would hand the download to its own user, who cannot write here.
  if [[ $(id -u) -eq 0 ]]; then echo 'APT::Sandbox::User "root";' >>"$apt/apt.conf"; fi
  say "fetching the qt6-base source"
  APT_CONFIG="$apt/apt.conf" apt-get update -qq
  # The very version of the host's Qt, whose tools the cross build uses.
  host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  (cd "$work" && APT_CONFIG="$apt/apt.conf" apt-get source -qq --download-only "qt6-base=$host_version")
  (cd "$work" && dpkg-source -x --no-check qt6-base_"$version"*.dsc >"$work/extract.log" 2>&1)
  source_dir=$(find "$work" -maxdepth 1 -type d -name "qt6-base-$version*" | head -n 1)
fi
[[ -d "$source_dir" ]] || { say "no qt6-base source in $work"; exit 1; }

# ---- configure, build, install -------------------------------------------------

build=$work/build
# A cache left by an earlier configuration would keep its features.
rm -f "$build/CMakeCache.txt"
say "configuring (source $source_dir)"
cmake -G Ninja -S "$source_dir" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DKAIROS_QT_WINDOWS="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
  -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_testlib=ON \
  -DINPUT_openssl=no -DFEATURE_pkg_config=OFF >"$work/configure.log" 2>&1 ||
  { tail -n 30 "$work/configure.log" >&2; exit 1; }
say "building (some 30 minutes on 2 cores)"
ninja -C "$build" >"$work/build.log" 2>&1 &
ninja_pid=$!
# A line a minute, so that a long quiet stretch is not taken for a hang.
seconds=0
while kill -0 "$ninja_pid" 2>/dev/null; do
  sleep 5
  seconds=$((seconds + 5))
  if ((seconds % 60 == 0)); then
    step=$(grep -o '^\[[0-9]*/[0-9]*\]' "$work/build.log" | tail -n 1 || true)
    say "building ${step:-...}"
  fi
done
wait "$ninja_pid" || { tail -n 30 "$work/build.log" >&2; exit 1; }
cmake --install "$build" >"$work/install.log" 2>&1 || { tail -n 30 "$work/install.log" >&2; exit 1; }
for needed_file in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll plugins/platforms/qwindows.dll \
  plugins/styles/qwindowsvistastyle.dll; do
  [[ -f "$prefix/$needed_file" ]] || { say "the install lacks $needed_file"; exit 1; }
done
touch "$marker"
# The build tree is some 700 MB and no longer needed.
rm -rf "$build"
say "Qt $version for Windows is in $prefix"
echo "$prefix"
