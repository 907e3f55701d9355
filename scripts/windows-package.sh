#!/usr/bin/env bash
# Makes the two Windows packages of a staged program folder (what
# `cmake --install build/windows --prefix <stage>` made):
#   <out>/kairos-<version>-win64.zip   the portable copy, unpacked anywhere
#   <out>/kairos-<version>-setup.exe   the installer, packaging/windows/kairos.nsi
# Usage: scripts/windows-package.sh <stage-folder> <version> <out-folder>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if (($# != 3)); then
  echo "usage: $0 <stage-folder> <version> <out-folder>" >&2
  exit 2
fi
# makensis changes into the script's folder, so both paths must be absolute.
stage=$(realpath -e "$1")
version=$2
mkdir -p "$3"
out=$(realpath -e "$3")

[[ -f "$stage/kairos.exe" ]] || { echo "$stage has no kairos.exe" >&2; exit 1; }
# The setup program's version resource takes numbers only.
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "version must be x.y.z: $version" >&2; exit 1; }
command -v makensis >/dev/null || { echo "makensis is missing: apt-get install nsis" >&2; exit 1; }

name=kairos-$version-win64
zip_file=$out/$name.zip
setup_file=$out/kairos-$version-setup.exe
# zip adds to an archive that is there already: a file gone from the stage
# would stay in it.
rm -f "$zip_file" "$setup_file"

# The portable copy unpacks into one folder of its own name, so that its
# settings, kept beside the program outside Program Files, have a home. The
# link gives the folder that name without a copy; zip stores what it points
# to.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ln -s "$stage" "$tmp/$name"
if command -v zip >/dev/null; then
  (cd "$tmp" && zip -r -9 -q "$zip_file" "$name")
else
  python3 - "$tmp" "$name" "$zip_file" <<'EOF'
import os, sys, zipfile
top, name, target = sys.argv[1:]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for folder, dirs, files in os.walk(os.path.join(top, name), followlinks=True):
        dirs.sort()
        rel = os.path.relpath(folder, top)
        archive.write(folder, rel)
        for f in sorted(files):
            archive.write(os.path.join(folder, f), os.path.join(rel, f))
EOF
fi

# Warnings are errors here too (-WX). The output matters only when
# something went wrong.
if ! log=$(makensis -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
  -DOUTFILE="$setup_file" "$root/packaging/windows/kairos.nsi" 2>&1); then
  printf '%s\n' "$log" >&2
  echo "makensis failed" >&2
  # Half a release is no release.
  rm -f "$zip_file"
  exit 1
fi

for f in "$zip_file" "$setup_file"; do
  size=$(stat -c %s "$f")
  echo "$f $size bytes ($(numfmt --to=iec "$size"))"
done
