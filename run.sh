#!/usr/bin/env bash
# Sets up if needed, builds, and starts the program on FILE (or on a demo
# recording made by vode-cli synth when no FILE is given).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"

scripts/bootstrap
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

if [ $# -ge 1 ]; then
  file="$1"
  case "$file" in /*) ;; *) file="$OLDPWD/$file" ;; esac
else
  file="$here/build/demo.mer"
  [ -f "$file" ] || build/vode-cli synth "$file" --seed 7 --channels 2 --seconds 60
fi

if [ -x build/vode ]; then
  exec build/vode "$file"
else
  exec build/vode-cli info "$file"
fi
