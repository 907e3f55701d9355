#!/usr/bin/env bash
# Writes the uninstaller's NSIS commands for a staged folder, the first
# argument: a Delete for each file, then an RMDir for each folder, deepest
# first. kairos.nsi includes them at build time. The uninstaller removes
# only what the installer put there: a copy of Kairos outside Program Files
# keeps its settings beside the program, and a folder with such a file in
# it stays.
set -euo pipefail
cd "$1"
# NSIS reads "$" as the start of a variable; "$$" is a plain one.
to_nsis() { sed -e 's,^\./,,' -e 's,\$,$$,g' -e 's,/,\\,g'; }
# shellcheck disable=SC2016 # $INSTDIR is NSIS's, not the shell's.
find . ! -type d | LC_ALL=C sort | to_nsis | sed -e 's,.*,Delete "$INSTDIR\\&",'
# shellcheck disable=SC2016
find . -mindepth 1 -depth -type d | to_nsis | sed -e 's,.*,RMDir "$INSTDIR\\&",'
